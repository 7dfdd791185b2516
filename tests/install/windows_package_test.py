"""The Windows packages under Wine, as a user meets them: the ZIP unpacked anywhere and its
program started in its own folder; the installer run silently, the program started as its
Start-menu shortcut says (target and working folder), then the silent uninstaller. Each time the title
must be made exactly of the pictures that came with the package, and q must end the program
with status 0 and nothing printed. Besides: the program's resources, SDL's source archive,
and a second build of the commit from a fresh clone, which must give the same bytes.

Runs through the end-to-end harness (tests/e2e) with --implementation windows; beside the
harness's own options it takes --archive (the ZIP) and --installer, the packages CPack made,
--version, --sdl-source (SDL's source archive) and --sdl-version (of its Debian source package).
"""

import glob
import os
import re
import struct
import subprocess
import sys
import tarfile
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import harness  # noqa: E402
from board_model import title_screen  # noqa: E402
from harness import Failure, Sketchboard, Skip, scenario  # noqa: E402
from launcher_test import installed_pictures  # noqa: E402

ZIP_CONTENTS = {"sketchboard.exe", "SDL.dll", "Data1.skt", "Data2.skt", "Data3.skt", "Data4.skt",
                "Data5.skt", "README.txt", "LICENSE.txt", "SDL-COPYING.txt", "SDL-SOURCE.txt"}
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\sketchboard"
# The icon's sizes, and the name SDL 1.2 loads it by for its window class (in capitals, as
# resource names are kept).
ICON_SIZES = (16, 24, 32, 48, 64, 256)
ICON_NAME = "SDL_APP"


def wine(*argv, output=subprocess.DEVNULL):
    """Runs a Windows program to its end, and everything it started with it; its status."""
    # Not through pipes: Wine's own processes outlive the program and would hold them open.
    status = subprocess.run(["wine", *argv], stdout=output, stderr=subprocess.DEVNULL,
                            check=False, timeout=120).returncode
    subprocess.run(["wineserver", "-w"], check=False, timeout=120)
    return status


def uninstall_entry():
    """The values of the installed-programs entry, {} when there is none."""
    with tempfile.TemporaryFile() as output:
        wine("reg", "query", UNINSTALL_KEY, output=output)
        output.seek(0)
        lines = output.read().decode(errors="replace").splitlines()
    # "    DisplayVersion    REG_SZ    1.0.0"
    fields = [line.split(None, 2) for line in lines]
    return {f[0]: f[2] for f in fields if len(f) == 3 and f[1].startswith("REG_")}


def unix_path(windows_path):
    return subprocess.run(["winepath", "-u", windows_path], capture_output=True, text=True,
                          check=True, timeout=60).stdout.strip()


def read_shortcut(path):
    """The target, the working folder and the icon's file (None where it names none) of a
    Windows shortcut, read from the Shell Link format: a 76-byte header whose flags say which
    parts follow."""
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
    return target, strings.get(0x10) or None, strings.get(0x40) or None


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


def check_source_note(folder, sdl_source):
    """SDL-SOURCE.txt names SDL's source archive and says how to unpack it."""
    with open(os.path.join(folder, "SDL-SOURCE.txt"), encoding="utf-8") as note:
        text = note.read()
    if os.path.basename(sdl_source) not in text or "dpkg-source -x" not in text:
        raise Failure(f"SDL-SOURCE.txt names no {os.path.basename(sdl_source)} to unpack:\n{text}")


def make_scenarios(archive, installer, version, sdl_source, sdl_version):
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
            check_source_note(folder, sdl_source)
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
        program = os.path.join(folder, "sketchboard.exe")
        if not os.path.isfile(program) or len(shortcuts) != 1:
            raise Failure(f"after installing: program in {folder}? shortcuts: {shortcuts}")
        check_source_note(folder, sdl_source)
        # The list shows the program's own icon and this version.
        entry = uninstall_entry()
        icon = entry.get("DisplayIcon")
        if (entry.get("DisplayVersion") != version or icon is None
                or not os.path.samefile(unix_path(icon), program)):
            raise Failure(f"the installed programs list says {entry}")

        # Started as the shell starts a shortcut: the target in the shortcut's working folder,
        # or, where it names none, in whatever folder the shell happens to be in. Its icon is
        # the program's.
        target, working_folder, icon = read_shortcut(shortcuts[0])
        for name, path in (("starts", target), ("shows the icon of", icon)):
            if path is None or not os.path.samefile(unix_path(path), program):
                raise Failure(f"the shortcut {name} {path}, not the installed program")
        with tempfile.TemporaryDirectory(prefix="sketchboard-elsewhere-") as elsewhere:
            start_in = unix_path(working_folder) if working_folder else elsewhere
            check_title_and_quit(config, ["wine", target], start_in, folder)

        status = wine(os.path.join(folder, "Uninstall.exe"), "/S")
        if status != 0:
            raise Failure(f"the silent uninstall ended with status {status}")
        left = sorted(files_in_drive_c() - before)
        if left:
            raise Failure("left behind after uninstalling:\n" + "\n".join(left))
        if uninstall_entry():
            raise Failure("the installed programs list still names sketchboard")

    @scenario()
    def program_resources(config):
        """The ZIP's program carries its icon in every size, 32 bits a pixel, under the name
        SDL loads; version details of this version; a manifest that asks for no elevation and
        declares DPI awareness and Windows 10."""
        with tempfile.TemporaryDirectory(prefix="sketchboard-resources-") as folder:
            with zipfile.ZipFile(archive) as opened:
                program = opened.extract(os.path.basename(archive)[:-4] + "/sketchboard.exe",
                                         folder)

            def extract(*options):
                return subprocess.run(["wrestool", "-x", *options, program], capture_output=True,
                                      check=True, timeout=60).stdout

            icon = extract("--type=14", f"--name={ICON_NAME}")  # as a .ico file
            sizes = sorted(struct.unpack_from("<B5xH", icon, 6 + 16 * index)
                           for index in range(icon[4] if icon else 0))
            if sizes != sorted((size % 256, 32) for size in ICON_SIZES):
                raise Failure(f"the icon {ICON_NAME} has (size % 256, bits) {sizes}")
            details = extract("--type=16", "--raw")
            words = struct.unpack_from("<8H", details, details.find(b"\xbd\x04\xef\xfe") + 8)
            found = [f"{words[at + 1]}.{words[at]}.{words[at + 3]}.{words[at + 2]}"
                     for at in (0, 4)] + re.findall(r"(?:FileVersion|ProductVersion)\0+([^\0]*)",
                                                    details.decode("utf-16-le", errors="replace"))
            if found != [f"{version}.0"] * 2 + [version] * 2:
                raise Failure(f"version details {found}, not those of {version}")
            manifest = extract("--type=24", "--raw").decode()
            for needed in ('"asInvoker"', "<dpiAware", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):
                if needed not in manifest:
                    raise Failure(f"the manifest lacks {needed}:\n{manifest}")

    @scenario()
    def sdl_source_unpacks(config):
        """SDL's source archive holds the .dsc of the version built and exactly the files it
        names, which dpkg-source -x unpacks (checking their sums)."""
        dsc_name = f"libsdl1.2_{sdl_version}.dsc"
        with tempfile.TemporaryDirectory(prefix="sketchboard-sdl-source-") as folder:
            with tarfile.open(sdl_source) as opened:
                names = set(opened.getnames())
                opened.extractall(folder)
            dsc = open(os.path.join(folder, dsc_name)).read() if dsc_name in names else ""
            listed = set(re.findall(r"^ [0-9a-f]{64} \d+ (\S+)$", dsc, re.M))
            if names != listed | {dsc_name} or f"\nVersion: {sdl_version}\n" not in dsc:
                raise Failure(f"{sdl_source} holds {sorted(names)}; {dsc_name} says:\n{dsc}")
            unpacked = subprocess.run(["dpkg-source", "-x", dsc_name, "sdl"], cwd=folder,
                                      capture_output=True, text=True, check=False, timeout=120)
            if unpacked.returncode != 0:
                raise Failure(f"dpkg-source -x {dsc_name} failed:\n{unpacked.stderr}")

    @scenario()
    def second_build_is_identical(config):
        """The commit built again from a fresh clone, in other folders, gives the same program,
        ZIP and installer, byte for byte."""
        first = os.path.dirname(config.program)
        with open(os.path.join(first, "CMakeCache.txt"), encoding="utf-8") as cache:
            settings = dict(re.findall(r"^(\w+):\w+=(.*)$", cache.read(), re.M))
        source = settings["CMAKE_HOME_DIRECTORY"]
        status = subprocess.run(["git", "-C", source, "status", "--porcelain", "-uno"],
                                capture_output=True, text=True, check=False, timeout=60)
        if status.returncode != 0 or status.stdout:
            raise Skip(f"{source} is no git checkout, or differs from its last commit")
        with tempfile.TemporaryDirectory(prefix="sketchboard-second-build-") as second:
            clone, build, packages = (os.path.join(second, name)
                                      for name in ("source", "build", "packages"))
            configure = ["cmake", "-S", clone, "-B", build, "-DBUILD_TESTING=OFF"] + [
                f"-D{name}={settings[name]}" for name in
                ("CMAKE_TOOLCHAIN_FILE", "CMAKE_BUILD_TYPE", "SKETCHBOARD_SDL_CACHE_DIR")]
            for argv in (["git", "clone", "--quiet", source, clone], configure,
                         ["cmake", "--build", build],
                         ["cpack", "--config", f"{build}/CPackConfig.cmake", "-B", packages]):
                done = subprocess.run(argv, capture_output=True, text=True, check=False,
                                      timeout=900)
                if done.returncode != 0:
                    raise Failure(f"{' '.join(argv)} failed:\n{done.stdout[-3000:]}{done.stderr}")
            made = [config.program, archive, installer]
            again = [f"{build}/sketchboard.exe"] + [
                os.path.join(packages, os.path.basename(package)) for package in made[1:]]
            differ = [os.path.basename(path) for path, first in zip(again, made)
                      if open(path, "rb").read() != open(first, "rb").read()]
            if differ:
                raise Failure(f"the second build differs from the first: {differ}")

    return [zip_runs_from_its_own_folder, installer_round_trip, program_resources,
            sdl_source_unpacks, second_build_is_identical]


if __name__ == "__main__":
    sys.exit(harness.main_with_options(
        ["archive", "installer", "version", "sdl-source", "sdl-version"], make_scenarios))
