"""The Windows packages under Wine, as a user meets them: the ZIP unpacked anywhere and its
program started in its own folder; the installer run silently, the program started as its
Start-menu shortcut says (target and working folder), then the silent uninstaller. Each time the title
must be made exactly of the pictures that came with the package, and q must end the program
with status 0 and nothing printed.

Runs through the end-to-end harness (tests/e2e) with --implementation windows; beside the
harness's own options it takes --archive (the ZIP) and --installer, the packages CPack made.
"""

import glob
import os
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import harness  # noqa: E402
from board_model import title_screen  # noqa: E402
from harness import Failure, Sketchboard, scenario  # noqa: E402
from launcher_test import installed_pictures  # noqa: E402

ZIP_CONTENTS = {"sketchboard.exe", "SDL.dll", "Data1.skt", "Data2.skt", "Data3.skt", "Data4.skt",
                "Data5.skt", "README.txt", "LICENSE.txt", "SDL-COPYING.txt", "SDL-SOURCE.txt"}
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\sketchboard"


def wine(*argv):
    """Runs a Windows program to its end, and everything it started with it; its status."""
    # Not through pipes: Wine's own processes outlive the program and would hold them open.
    status = subprocess.run(["wine", *argv], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, check=False, timeout=120).returncode
    subprocess.run(["wineserver", "-w"], check=False, timeout=120)
    return status


def unix_path(windows_path):
    return subprocess.run(["winepath", "-u", windows_path], capture_output=True, text=True,
                          check=True, timeout=60).stdout.strip()


def read_shortcut(path):
    """The target and the working folder (None if it has none) of a Windows shortcut, read
    from the Shell Link format: a 76-byte header whose flags say which parts follow."""
    data = open(path, "rb").read()
    flags, = struct.unpack_from("<I", data, 20)
    has_id_list, has_link_info, is_unicode = flags & 0x1, flags & 0x2, flags & 0x80
    position = 76
    if has_id_list:
        position += 2 + struct.unpack_from("<H", data, position)[0]
    target = None
    if has_link_info:
        size, = struct.unpack_from("<I", data, position)
        local_path_at, = struct.unpack_from("<I", data, position + 16)
        start = position + local_path_at
        target = data[start:data.index(b"\0", start)].decode("latin-1")
        position += size
    strings = {}
    # Name, relative path, working folder, arguments, icon: each there if its flag is set.
    for flag in (0x4, 0x8, 0x10, 0x20, 0x40):
        if flags & flag:
            count, = struct.unpack_from("<H", data, position)
            width = 2 if is_unicode else 1
            raw = data[position + 2:position + 2 + count * width]
            strings[flag] = raw.decode("utf-16-le" if is_unicode else "latin-1").rstrip("\0")
            position += 2 + count * width
    return target, strings.get(0x10) or None


def drive_c():
    return os.path.join(os.environ["WINEPREFIX"], "drive_c")


def files_in_drive_c():
    """Every file and folder of the prefix's drive C, but for the users' temporary folders:
    the uninstaller runs from a copy there, which Windows deletes only at its next restart."""
    found = set()
    for folder, folders, files in os.walk(drive_c()):
        folders[:] = [name for name in folders if name != "Temp"]
        found.update(os.path.join(folder, name) for name in folders + files)
    return found


def check_title_and_quit(config, argv, workdir, pictures_folder):
    title = title_screen(installed_pictures(pictures_folder))
    with Sketchboard(config, workdir=workdir, argv=argv) as board:
        board.wait_for_screen(title, "the title from the package's pictures")
        board.quit()


def make_scenarios(archive, installer):
    @scenario(timeout=120)
    def zip_runs_from_its_own_folder(config):
        """Unpacked into a fresh folder, the ZIP's program runs from the folder it came in."""
        with tempfile.TemporaryDirectory(prefix="sketchboard-zip-") as unpacked:
            with zipfile.ZipFile(archive) as opened:
                opened.extractall(unpacked)
                names = {os.path.basename(name) for name in opened.namelist()}
            if names != ZIP_CONTENTS:
                raise Failure(f"the ZIP holds {sorted(names)}, not {sorted(ZIP_CONTENTS)}")
            programs = glob.glob(os.path.join(unpacked, "*", "sketchboard.exe"))
            if len(programs) != 1:
                raise Failure(f"the ZIP holds no single */sketchboard.exe: {programs}")
            folder = os.path.dirname(programs[0])
            check_title_and_quit(config, ["wine", programs[0]], folder, folder)

    @scenario(timeout=240)
    def installer_round_trip(config):
        """Installed silently, started as its Start-menu shortcut says (only the shortcut's
        working folder can lead it to its pictures), uninstalled silently: nothing of it is
        left."""
        before = files_in_drive_c()
        status = wine(installer, "/S")
        if status != 0:
            raise Failure(f"the silent install ended with status {status}")
        folder = os.path.join(drive_c(), "Program Files", "sketchboard")
        shortcuts = glob.glob(os.path.join(drive_c(), "**", "Start Menu", "Programs",
                                           "sketchboard", "sketchboard.lnk"), recursive=True)
        if not os.path.isfile(os.path.join(folder, "sketchboard.exe")) or len(shortcuts) != 1:
            raise Failure(f"after installing: program in {folder}? shortcuts: {shortcuts}")
        if wine("reg", "query", UNINSTALL_KEY) != 0:
            raise Failure("the installed programs list has no entry for sketchboard")

        # Started as the shell starts a shortcut: the target in the shortcut's working folder,
        # or, where it names none, in whatever folder the shell happens to be in.
        target, working_folder = read_shortcut(shortcuts[0])
        if target is None or not os.path.samefile(unix_path(target),
                                                  os.path.join(folder, "sketchboard.exe")):
            raise Failure(f"the shortcut starts {target}, not the installed program")
        with tempfile.TemporaryDirectory(prefix="sketchboard-elsewhere-") as elsewhere:
            start_in = unix_path(working_folder) if working_folder else elsewhere
            check_title_and_quit(config, ["wine", target], start_in, folder)

        status = wine(os.path.join(folder, "Uninstall.exe"), "/S")
        if status != 0:
            raise Failure(f"the silent uninstall ended with status {status}")
        left = sorted(files_in_drive_c() - before)
        if left:
            raise Failure("left behind after uninstalling:\n" + "\n".join(left))
        if wine("reg", "query", UNINSTALL_KEY) == 0:
            raise Failure("the installed programs list still names sketchboard")

    return [zip_runs_from_its_own_folder, installer_round_trip]


if __name__ == "__main__":
    sys.exit(harness.main_with_options(["archive", "installer"], make_scenarios))
