"""The driver store under Wine: "install <folder>", "dp_enum" and the clean-up,
with their real effects on C:\\windows\\inf.

Wine 8 differs from Windows here, and these tests assert what Wine does:
SetupCopyOEMInfW keeps the source file's name instead of giving oemN.inf, and
SetupUninstallOEMInfW without force deletes nothing and reports success.
Wine also writes that kept name as the InfPath of a device's driver key.
"""
import re

from conftest import write_inf
from messages import message

BANNER = b"Installing USB-driver...\r\n"


def lines(out):
    return sorted(line + b"\r\n" for line in out.split(b"\r\n")[:-1])


def test_install_takes_inf_names_only_and_goes_on_past_what_cannot_be_added(
        wine, srcdir, tmp_path, inf_dir_kept):
    folder = tmp_path / "Treiber f\u00fcr Ger\u00e4te"
    (folder / "pelmora_walk_sub").mkdir(parents=True)
    within = (wine.windows_path(folder) + "\\{}").format
    # Full paths of 258, 259 and 260 characters: the store takes up to 259, the program refuses 260 before any
    # copy. Wine's copy keeps the source's name: it fails once C:\windows\inf\<name> reaches MAX_PATH.
    long_names = ["L" * (254 + extra - len(within("pelmora_walk_"))) + ".inf" for extra in (0, 1, 2)]
    # Wine's search matches "*.inf" against short names too: only the long names may count.
    for name in ["a.inf", "B.INF", "c.inf_", "d.inf~", "e.inff", "f.infold", "sub/pelmora_walk_deep.inf"] + long_names:
        (folder / ("pelmora_walk_" + name)).write_bytes((srcdir / "examples" / "pelmora_sample.inf").read_bytes() +
                                                        name.encode())
    (folder / "con.inf").write_bytes(b"")  # the console to Windows: refused and named, never read
    # As the C runtime hands on "<folder>\": the quotation mark stands for the backslash.
    code, out, err = wine.run("pelmora.exe", "install", wine.windows_path(folder) + '"')
    assert (code, lines(err)) == (0, lines(BANNER + message(srcdir, "MSG_PACKAGE_NAME_REFUSED", "pelmora.exe", within("con.inf")) +
                                           b"pelmora.exe: the dp_add command failed.\r\n"))
    added = ["pelmora_walk_" + name for name in ["a.inf", "B.INF"] + long_names[:2]]
    refused = message(srcdir, "MSG_DP_ADD_BAD_PATH", within("pelmora_walk_" + long_names[2]), "")  # too long: no code to give
    assert lines(out) == sorted([message(srcdir, "MSG_DP_ADDED", name) for name in added] + [refused])
    # A bare drive is its root, not the drive's current folder; C:\ of the prefix holds no INF file.
    assert wine.run("pelmora.exe", "install", "C:", "", " ", cwd=wine.drive_c / "windows") == (
        0, b"", BANNER + message(srcdir, "MSG_FOLDER_WITHOUT_INF", "pelmora.exe", "C:\\"))
    stored = [p.name for p in wine.inf_dir.glob("pelmora_walk_*") if p.suffix.lower() != ".pnf"]
    assert sorted(stored) == sorted(added)


def class_key_of(wine, class_guid, inf_path):
    """The driver key (under the class key) whose InfPath is `inf_path`."""
    out = wine.run("reg", "query", "HKLM\\System\\CurrentControlSet\\Control\\Class\\" + class_guid, "/s")[1]
    key = None
    for line in out.decode("latin-1").splitlines():
        if line.startswith("HKEY_"):
            key = line.strip()
        elif re.match(r"\s+InfPath\s+REG_SZ\s+" + re.escape(inf_path) + r"\s*$", line, re.I):
            return key
    raise AssertionError("no driver key with InfPath " + inf_path)


# The clean-up deletes by force (the engine's "-f dp_delete") exactly what dp_enum shows beforehand.
def test_clean_up_deletes_exactly_the_unused_oem_packages_that_dp_enum_shows(
        wine, srcdir, tmp_path, inf_dir_kept):
    text = "PELMORA_CLEANUP"
    # A present device of the test's own, made by the engine.
    keeper = tmp_path / "pelmora_cleanup_keeper.inf"
    write_inf(keeper, "ROOT\\PELMORA_CLEANUP_KEEPER", "Clean-up keeper")
    assert wine.run("pelmora-engine.exe", "install", wine.windows_path(keeper), "ROOT\\PELMORA_CLEANUP_KEEPER")[0] == 0
    planted = {"oem9201.inf": "ROOT\\PELMORA_CLEANUP_A", "oem9203.inf": "ROOT\\PELMORA_OTHER",
               "oem9204.inf": "root\\pelmora_cleanup_c", "pelmora_cleanup_d.inf": "ROOT\\PELMORA_CLEANUP_D"}
    for name, hardware_id in planted.items():
        write_inf(wine.inf_dir / name, hardware_id, name)
    write_inf(wine.inf_dir / "oem9202.inf", "ROOT\\PELMORA_CLEANUP_B", "oem9202.inf", utf16=True)
    (wine.inf_dir / "oem9205.inf").write_bytes(keeper.read_bytes())
    # Windows would have stored the keeper's package as an oem<N>.inf and named it in the driver key; Wine
    # keeps the source's name there, so the test names the copy it planted.
    key = class_key_of(wine, "{3b7f2d1c-4a5e-4f60-8c9d-0e1f2a3b4c5d}", keeper.name)
    wine.run("reg", "add", key, "/v", "InfPath", "/d", "oem9205.inf", "/f")

    line = "{}  Provider: Pelmora tests  Class: PelmoraTest  DriverVer: 01/15/2024,1.0.0.0".format
    code, out, err = wine.run("pelmora-engine.exe", "dp_enum", text)
    assert (code, err) == (0, b"")
    *packages, summary = out.split(b"\r\n")[:-1]
    assert sorted(packages) == [line("oem9201.inf").encode(), line("oem9202.inf").encode(),
                                (line("oem9205.inf") + "  [kept: a present device uses it]").encode()]
    assert summary + b"\r\n" == message(srcdir, "MSG_DP_ENUM_COUNT", 3)

    # Without force Wine deletes nothing and still reports success.
    assert wine.run("pelmora-engine.exe", "dp_delete", "oem9203.inf") == (0, message(srcdir, "MSG_DP_DELETED", "oem9203.inf"), b"")
    code, out, err = wine.run("pelmora.exe", "remove", "ROOT\\PELMORA_NO_SUCH_DEVICE|" + text)
    assert (code, err) == (2, message(srcdir, "MSG_PACKAGE_KEPT", "pelmora.exe", "oem9205.inf"))
    nothing_removed = message(srcdir, "MSG_REMOVED_NONE")
    assert out.startswith(nothing_removed)
    assert lines(out[len(nothing_removed):]) == [message(srcdir, "MSG_DP_DELETED", name) for name in ("oem9201.inf", "oem9202.inf")]
    left = {p.name for p in wine.inf_dir.iterdir()}
    assert {"oem9201.inf", "oem9202.inf"} & left == set()
    assert {"oem9203.inf", "oem9204.inf", "oem9205.inf", "pelmora_cleanup_d.inf"} <= left
