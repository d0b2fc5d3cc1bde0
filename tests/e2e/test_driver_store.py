"""The driver store under Wine: "install <folder>" and the engine's "dp_delete",
with their real effects on C:\\windows\\inf.

Wine 8 differs from Windows here, and these tests assert what Wine does:
SetupCopyOEMInfW keeps the source file's name instead of giving oemN.inf, and
SetupUninstallOEMInfW without force deletes nothing and reports success.
"""
import pytest

import messages

BANNER = b"Installing USB-driver...\r\n"


@pytest.fixture(scope="module")
def message(srcdir):
    """message(id, *inserts): an engine message as the program writes it."""
    return lambda message_id, *inserts: messages.message(srcdir, message_id, *inserts)


def lines(out):
    return sorted(line + b"\r\n" for line in out.split(b"\r\n")[:-1])


@pytest.mark.parametrize("relative", [True, False])
def test_install_stores_every_package_of_the_folder(wine, srcdir, message, inf_dir_kept, relative):
    examples = sorted((srcdir / "examples").glob("*.inf"))
    folder = "examples\\" if relative else wine.windows_path(srcdir / "examples").replace("\\", "/")
    code, out, err = wine.run("pelmora.exe", "install", folder, cwd=srcdir)
    assert (code, err) == (0, BANNER)
    # Wine keeps each package's own file name where Windows gives oemN.inf.
    assert lines(out) == sorted(message(61115, p.name) for p in examples)
    for example in examples:
        assert (wine.inf_dir / example.name).read_bytes() == example.read_bytes()


def test_install_takes_inf_names_only_and_goes_on_past_what_cannot_be_copied(
        wine, srcdir, tmp_path, message, inf_dir_kept):
    folder = tmp_path / "Treiber f\u00fcr Ger\u00e4te"
    (folder / "pelmora_walk_sub").mkdir(parents=True)
    # Wine's search matches "*.inf" against short names too: only the long names may count.
    for name in ("a.inf", "B.INF", "c.inf_", "d.inf~", "e.inff", "f.infold", "sub/pelmora_walk_deep.inf"):
        (folder / ("pelmora_walk_" + name)).write_bytes((srcdir / "examples" / "pelmora_sample.inf").read_bytes() +
                                                        name.encode())
    (folder / "pelmora_walk_empty.inf").write_bytes(b"")
    (folder / "pelmora_walk_text.inf").write_bytes(b"this is not an INF file\r\n")
    (folder / "pelmora_walk_folder.inf").mkdir()
    device_named = (srcdir / "examples" / "pelmora_sample.inf").read_bytes() + b"; con\r\n"
    (folder / "con.inf").write_bytes(device_named)  # a file, not the console; Wine stores it as oemN.inf
    # As the C runtime hands on "<folder>\": the quotation mark stands for the backslash.
    code, out, err = wine.run("pelmora.exe", "install", wine.windows_path(folder) + '"')
    assert (code, err) == (0, BANNER + b"pelmora.exe: the dp_add command failed.\r\n" * 3)
    failed = [message(61114, wine.windows_path(folder) + "\\pelmora_walk_" + name + ".inf")
              for name in ("empty", "text", "folder")]
    added = [message(61115, p.name) for p in wine.inf_dir.glob("*.inf") if p.read_bytes() == device_named]
    assert lines(out) == sorted([message(61115, "pelmora_walk_a.inf"), message(61115, "pelmora_walk_B.INF")] + failed
                                + added) and len(added) == 1
    stored = [p.name for p in wine.inf_dir.glob("pelmora_walk_*") if p.suffix.lower() != ".pnf"]
    assert sorted(stored) == ["pelmora_walk_B.INF", "pelmora_walk_a.inf"]


@pytest.mark.parametrize("folder,said", [("Z:\\no\\such\\folder", 61111), ("empty", 61112)])
def test_folder_without_packages_runs_nothing(wine, message, tmp_path, folder, said):
    (tmp_path / "empty").mkdir()
    (tmp_path / "empty" / "notes.txt").write_bytes(b"no packages here")
    assert wine.run("pelmora.exe", "install", folder, cwd=tmp_path) == (0, b"", BANNER + message(said, "pelmora.exe",
                                                                                                   folder))


def test_dp_delete_removes_only_an_oem_named_package_and_only_with_force(wine, srcdir, message, inf_dir_kept):
    # Wine stores a package under its own name, which is not a name dp_delete
    # takes; Windows would have stored it as oemN.inf, as this copy stands.
    sample = (srcdir / "examples" / "pelmora_sample.inf").read_bytes()
    stored = wine.inf_dir / "OEM91.INF"
    stored.write_bytes(sample)
    (wine.inf_dir / "pelmora_sample.inf").write_bytes(sample)
    assert wine.run("pelmora-engine.exe", "-f", "dp_delete", "pelmora_sample.inf")[:2] == (2, message(61118))
    assert (wine.inf_dir / "pelmora_sample.inf").exists()
    # Without force Wine deletes nothing and still reports success.
    assert wine.run("pelmora-engine.exe", "dp_delete", "oem91.inf") == (0, message(61119, "oem91.inf"), b"")
    assert stored.exists()
    assert wine.run("pelmora-engine.exe", "-f", "dp_delete", "Oem91.inf") == (0, message(61119, "Oem91.inf"), b"")
    assert not stored.exists()


# Wine fails with an error of its own for an OEM name it does not hold, rather
# than ERROR_NOT_AN_INSTALLED_OEM_INF, so the general message comes. With
# force, Wine would delete any path it is given from the INF folder.
@pytest.mark.parametrize("name,path,answer", [("oem9999.inf", "win.ini", 61116), ("..\\win.ini", "win.ini", 61118),
                                              ("machine.inf", "inf/machine.inf", 61118)])
def test_dp_delete_of_what_the_store_does_not_hold(wine, message, inf_dir_kept, name, path, answer):
    target = wine.drive_c / "windows" / path
    if not target.exists():
        target.write_bytes(b'[Version]\r\nSignature="$Windows NT$"\r\n')
    before = target.read_bytes()
    assert wine.run("pelmora-engine.exe", "-f", "dp_delete", name) == (
        2, message(answer), b"pelmora-engine.exe: the dp_delete command failed.\r\n")
    assert target.read_bytes() == before

