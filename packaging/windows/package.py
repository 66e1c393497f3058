#!/usr/bin/env python3
"""The Windows downloads, byte for byte the same from the same files and time.

  package.py zip FOLDER ZIP EPOCH
      the zip of FOLDER: one folder named as FOLDER, entries in sorted order, every time stamp
      EPOCH (seconds since 1970, UTC), fixed permissions and no owner.
  package.py msi WXS FOLDER ICON MSI EPOCH
      the installer built by wixl from WXS, with FOLDER and ICON as its variables Folder and Icon.
      wixl stamps the package with the clock and a random package code: it runs under faketime
      at EPOCH, and the package code is then set by msibuild to one drawn from what the package
      holds, so that a changed package gets a new code and an unchanged one keeps it.
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import uuid
import zipfile

# Any fixed namespace would do: package codes are drawn from it and the contents' hash.
PACKAGE_CODE_NAMESPACE = uuid.UUID("8a3f5d1c-4b7e-4f0a-9d2c-6e1b7a9c3f58")


def files_below(folder):
    """Every file and folder below FOLDER as paths relative to it, sorted."""
    found = []
    for root, folders, files in os.walk(folder):
        for name in folders + files:
            found.append(os.path.relpath(os.path.join(root, name), folder))
    return sorted(found, key=lambda path: path.split(os.sep))


def write_zip(folder, zip_path, epoch):
    # Zip time stamps are local times without a zone; UTC is what unzip tools assume least badly.
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip cannot hold times before 1980
    top = os.path.basename(os.path.normpath(folder))
    entries = [(top, folder)] + [(top + "/" + path.replace(os.sep, "/"), os.path.join(folder, path))
                                 for path in files_below(folder)]
    with zipfile.ZipFile(zip_path + ".partial", "w") as archive:
        for name, path in entries:
            is_folder = os.path.isdir(path)
            info = zipfile.ZipInfo(name + "/" if is_folder else name, date_time=stamp)
            info.create_system = 3  # Unix, so that the permissions below mean what they say
            info.external_attr = ((0o40755 if is_folder else 0o100644) << 16) | (0x10 if is_folder else 0)
            if is_folder:
                archive.writestr(info, b"")
            else:
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(path, "rb") as source:
                    archive.writestr(info, source.read(), compresslevel=9)
    os.replace(zip_path + ".partial", zip_path)


def package_code(wxs, folder):
    digest = hashlib.sha256()
    with open(wxs, "rb") as source:
        digest.update(source.read())
    for path in files_below(folder):
        full = os.path.join(folder, path)
        digest.update(path.encode() + b"\0")
        if os.path.isfile(full):
            with open(full, "rb") as source:
                digest.update(source.read())
    return "{" + str(uuid.uuid5(PACKAGE_CODE_NAMESPACE, digest.hexdigest())).upper() + "}"


def write_msi(wxs, folder, icon, msi_path, epoch):
    moment = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(epoch))
    environment = dict(os.environ, TZ="UTC")
    partial = msi_path + ".partial"
    with tempfile.TemporaryDirectory() as scratch:
        # The cabinet inside keeps each file's modification time.
        staged = os.path.join(scratch, os.path.basename(os.path.normpath(folder)))
        subprocess.run(["cp", "-a", folder, staged], check=True)
        for path in [""] + files_below(staged):
            os.utime(os.path.join(staged, path), (epoch, epoch), follow_symlinks=False)
        shutil.copyfile(icon, os.path.join(scratch, "icon.ico"))
        # wixl (0.101) finds files by paths relative to where it runs only.
        subprocess.run(["faketime", "-f", moment, "wixl", "--arch", "x64",
                        "--define", "Folder=" + os.path.basename(staged), "--define", "Icon=icon.ico",
                        "--output", os.path.abspath(partial), os.path.abspath(wxs)],
                       check=True, env=environment, cwd=scratch)
        # msibuild's -s sets the title, author and template along with the package code: the
        # same values wixl wrote.
        subprocess.run(["faketime", "-f", moment, "msibuild", partial, "-s",
                        "Morvane Generator", "Morvane", "x64;1033", package_code(wxs, staged)],
                       check=True, env=environment)
    os.replace(partial, msi_path)


def main(arguments):
    if len(arguments) == 4 and arguments[0] == "zip":
        write_zip(arguments[1], arguments[2], int(arguments[3]))
    elif len(arguments) == 6 and arguments[0] == "msi":
        write_msi(arguments[1], arguments[2], arguments[3], arguments[4], int(arguments[5]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
