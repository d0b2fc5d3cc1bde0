""""exec" under Wine: a batch helper run from another folder, and a program that cannot start."""


def test_batch_helper_runs_by_its_full_path_and_what_cannot_start_answers_two(wine, tmp_path):
    named, here = tmp_path / "helper dir", tmp_path / "here"
    for folder in (named, here):
        folder.mkdir()
        (folder / "post.bat").write_bytes(b'@>"%~dp0ran.txt" echo %*\r\n')
    helper = wine.windows_path(named / "post.bat")
    assert wine.run("pelmora.exe", "exec", helper + ";configure quiet", cwd=here) == (0, b"", b"")
    assert (named / "ran.txt").read_bytes() == b"configure quiet\r\n" and not (here / "ran.txt").exists()
    (named / "ran.txt").unlink()
    # A real program whose DLL is missing: the loader ends it with 0xC0000135.
    (here / "needs_absent.exe").write_bytes(open(wine.exe("record_args.exe"), "rb").read().replace(
        b"msvcrt.dll", b"absent.dll"))
    # A program that is not there: its code, decimal and in hexadecimal, then Wine's text for it.
    for argument, why in ((wine.windows_path(here / "absent.exe") + ";", b"(error 2): 0x00000002 "),
                          (wine.windows_path(here / "needs_absent.exe") + ";", b"0xC0000135")):
        code, out, err = wine.run("pelmora.exe", "exec", argument, cwd=here)
        assert (code, out, err.count(b"\r\n")) == (2, b"", 1) and err.startswith(b"pelmora.exe: ") and why in err
    assert list(tmp_path.rglob("*.txt")) == []
