"""The driver store under Wine: "install <folder>", the engine's "dp_add" and
"dp_delete", and "rescan", with their real effects on C:\\windows\\inf.

Wine 8 differs from Windows here, and these tests assert what Wine does:
SetupCopyOEMInfW keeps the source file's name instead of giving oemN.inf,
SetupUninstallOEMInfW without force deletes nothing and reports success, and
CM_Locate_DevNodeW answers CR_FAILURE, so "rescan" fails before it writes a
line.
"""
import shutil

import pytest

import messages

BANNER = b"Installing USB-driver...\r\n"


@pytest.fixture(scope="module")
def message(srcdir):
    """message(id, *inserts): an engine message as the program writes it."""
    return lambda message_id, *inserts: messages.message(srcdir, message_id, *inserts)


@pytest.fixture(scope="module")
def examples(srcdir):
    return sorted((srcdir / "examples").glob("*.inf"))


@pytest.fixture
def clean_store(wine):
    """Takes out of C:\\windows\\inf whatever a test put there."""
    before = set(p.name for p in wine.inf_dir.iterdir())
    yield
    for path in wine.inf_dir.iterdir():
        if path.name not in before:
            path.unlink()


def stored_names(stdout, message):
    """The names that lines of message 61115 report, in order."""
    prefix, suffix = message(61115, "\0").split(b"\0")
    tail = suffix[:-2]
    return [line[len(prefix):len(line) - len(tail)].decode()
            for line in stdout.split(b"\r\n") if line.startswith(prefix)]


@pytest.mark.parametrize("spelling", ["examples", "examples\\", ".\\examples", "absolute", "absolute/", "slashes"])
def test_install_stores_every_package_of_the_folder(wine, srcdir, examples, message, clean_store, spelling):
    absolute = wine.windows_path(srcdir / "examples")
    folder = {"absolute": absolute, "absolute/": absolute + "\\",
              "slashes": absolute.replace("\\", "/")}.get(spelling, spelling)
    code, out, err = wine.run("pelmora.exe", "install", folder, cwd=srcdir)
    assert (code, err) == (0, BANNER)
    names = stored_names(out, message)
    # Wine keeps each package's own file name where Windows gives oemN.inf.
    assert sorted(names) == [p.name for p in examples]
    assert out == b"".join(message(61115, name) for name in names)
    for example in examples:
        assert (wine.inf_dir / example.name).read_bytes() == example.read_bytes()


def test_package_that_cannot_be_copied_is_reported_and_the_walk_goes_on(
        wine, tmp_path, examples, message, clean_store):
    folder = tmp_path / "Treiber f\u00fcr Ger\u00e4te"
    folder.mkdir()
    shutil.copy(examples[0], folder / "pelmora_e2e_good.inf")
    (folder / "pelmora_e2e_empty.inf").write_bytes(b"")
    (folder / "pelmora_e2e_text.inf").write_bytes(b"this is not an INF file\r\n")
    (folder / "pelmora_e2e_folder.inf").mkdir()
    (folder / "sub").mkdir()
    shutil.copy(examples[1], folder / "sub" / "pelmora_e2e_deep.inf")

    code, out, err = wine.run("pelmora.exe", "install", wine.windows_path(folder))
    assert code == 0
    assert err == BANNER + b"pelmora.exe: the dp_add command failed.\r\n" * 3
    lines = [line + b"\r\n" for line in out.split(b"\r\n")[:-1]]
    failed = [message(61114, wine.windows_path(folder) + "\\pelmora_e2e_" + name + ".inf")
              for name in ("empty", "text", "folder")]
    assert sorted(lines) == sorted([message(61115, "pelmora_e2e_good.inf")] + failed)
    assert (wine.inf_dir / "pelmora_e2e_good.inf").exists()
    assert not list(wine.inf_dir.glob("pelmora_e2e_[etfd]*"))


@pytest.mark.parametrize("folder,said", [("Z:\\no\\such\\folder", 61111), ("empty", 61112), ("x" * 1023, 61111)])
def test_folder_without_packages_runs_nothing(wine, message, tmp_path, folder, said):
    (tmp_path / "empty").mkdir()
    (tmp_path / "empty" / "notes.txt").write_bytes(b"no packages here")
    code, out, err = wine.run("pelmora.exe", "install", folder, cwd=tmp_path)
    assert (code, out, err) == (0, b"", BANNER + message(said, "pelmora.exe", folder))


def test_dp_add_refuses_a_full_path_of_260_characters(wine, message, clean_store):
    folder = wine.drive_c / ("d" * 120) / ("e" * 129)
    folder.mkdir(parents=True)
    try:
        (folder / "p.inf").write_bytes(b'[Version]\r\nSignature="$Windows NT$"\r\nClass=Sample\r\n')
        (folder / "pq.inf").write_bytes(b'[Version]\r\nSignature="$Windows NT$"\r\nClass=Other\r\n')
        path259 = "C:\\" + "d" * 120 + "\\" + "e" * 129 + "\\p.inf"
        assert len(path259) == 259
        code, out, err = wine.run("pelmora-engine.exe", "dp_add", path259)
        assert (code, out, err) == (0, message(61115, "p.inf"), b"")

        code, out, err = wine.run("pelmora-engine.exe", "dp_add", path259[:-5] + "pq.inf")
        assert (code, out) == (2, message(61113, path259[:-5] + "pq.inf"))
        assert err == b"pelmora-engine.exe: the dp_add command failed.\r\n"
        assert not (wine.inf_dir / "pq.inf").exists()
    finally:
        shutil.rmtree(wine.drive_c / ("d" * 120))


def test_dp_delete_removes_only_an_oem_named_package_and_only_with_force(wine, examples, message, clean_store):
    # Wine stores a package under its own name, which is not a name dp_delete
    # takes; Windows would have stored it as oemN.inf, as this copy stands.
    stored = wine.inf_dir / "OEM91.INF"
    stored.write_bytes(examples[0].read_bytes())
    (wine.inf_dir / examples[0].name).write_bytes(examples[0].read_bytes())
    assert wine.run("pelmora-engine.exe", "-f", "dp_delete", examples[0].name)[:2] == (2, message(61118))
    assert (wine.inf_dir / examples[0].name).exists()
    # Without force Wine deletes nothing and still reports success.
    assert wine.run("pelmora-engine.exe", "dp_delete", "oem91.inf") == (0, message(61119, "oem91.inf"), b"")
    assert stored.exists()
    assert wine.run("pelmora-engine.exe", "-f", "dp_delete", "Oem91.inf") == (0, message(61119, "Oem91.inf"), b"")
    assert not stored.exists()


# Wine fails with an error of its own for an OEM name it does not hold, rather
# than ERROR_NOT_AN_INSTALLED_OEM_INF, so the general message comes. With
# force, Wine would delete any path it is given from the INF folder.
@pytest.mark.parametrize("name,path,answer", [("oem9999.inf", None, 61116), ("..\\win.ini", "win.ini", 61118),
                                              ("../system.ini", "system.ini", 61118),
                                              ("machine.inf", "inf/machine.inf", 61118)])
def test_dp_delete_of_what_the_store_does_not_hold(wine, message, clean_store, name, path, answer):
    target = wine.drive_c / "windows" / (path or "win.ini")
    if not target.exists():
        target.write_bytes(b'[Version]\r\nSignature="$Windows NT$"\r\n')
    before = target.read_bytes()
    assert wine.run("pelmora-engine.exe", "-f", "dp_delete", name) == (
        2, message(answer), b"pelmora-engine.exe: the dp_delete command failed.\r\n")
    assert target.read_bytes() == before


def test_dp_add_and_dp_delete_without_argument_are_usage_errors(wine):
    for command in ("dp_add", "dp_delete"):
        code, out, err = wine.run("pelmora-engine.exe", "-f", command)
        assert (code, out) == (3, b"")
        assert err.startswith(b"pelmora-engine.exe: invalid use of " + command.encode() + b".")


def test_rescan_answers_as_wine_allows(wine):
    # Wine's CM_Locate_DevNodeW answers CR_FAILURE: the handler fails before
    # its first line, and the front end passes ENGINE_FAILED on.
    assert wine.run("pelmora.exe", "rescan") == (2, b"", b"pelmora.exe: the rescan command failed.\r\n")
    assert wine.run("pelmora-engine.exe", "-m:PC7", "rescan", "extra") == (
        2, b"", b"pelmora-engine.exe: the rescan command failed.\r\n")
