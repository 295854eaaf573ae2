#!/usr/bin/env python3
"""Rebuilds the volume fixtures: boot sectors and disc descriptors cut from images that
mkfs.vfat, mkfs.exfat, mkfs.ntfs, genisoimage and mkudffs make, with what blkid says of them.
Disc dumps keep only the sectors a serial needs, each without its trailing zeros."""
import os, struct, subprocess, sys, tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

def run(*cmd):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

def blkid(path, tag):
    return subprocess.run(["blkid", "-p", "-o", "value", "-s", tag, path], capture_output=True,
                          text=True).stdout.strip()

def dump(path, out, offsets):
    """Records: offset (u64 LE), length (u32 LE), bytes."""
    with open(path, "rb") as f, open(out, "wb") as o:
        for off in sorted(set(offsets)):
            f.seek(off)
            data = f.read(2048).rstrip(b"\0")
            o.write(struct.pack("<QI", off, len(data)) + data)

def lanes(sector):
    s = [0, 0, 0, 0]
    for i, b in enumerate(sector[:2048]):
        s[i % 4] = (s[i % 4] + b) & 0xFF
    return s

def iso_sectors(path):
    offsets, best, best_type = [], None, -1
    with open(path, "rb") as f:
        lba = 16
        while True:
            f.seek(lba * 2048)
            sec = f.read(2048)
            offsets.append(lba * 2048)
            if sec[1:6] != b"CD001" or sec[0] == 255:
                break
            if sec[0] > best_type:
                best_type, best = sec[0], sec
            lba += 1
    s = lanes(best)
    return offsets, "%08X" % (s[0] << 24 | s[1] << 16 | s[2] << 8 | s[3])

def udf_sectors(path):
    bs = 2048
    with open(path, "rb") as f:
        def block(n):
            f.seek(n * bs)
            return f.read(bs)
        avdp = block(256)
        length, loc = struct.unpack_from("<II", avdp, 16)
        offsets = [256 * bs]
        parts, lvd = {}, None
        for n in range(loc, loc + length // bs):
            d = block(n)
            offsets.append(n * bs)
            tag = struct.unpack_from("<H", d, 0)[0]
            if tag == 5:
                parts[struct.unpack_from("<H", d, 22)[0]] = struct.unpack_from("<I", d, 188)[0]
            elif tag == 6 and lvd is None:
                lvd = d
            elif tag == 8:
                break
        fsd_block, ref = struct.unpack_from("<IH", lvd, 252)
        maps, pos = [], 440
        for _ in range(struct.unpack_from("<I", lvd, 268)[0]):
            maps.append(struct.unpack_from("<H", lvd, pos + 4)[0])
            pos += lvd[pos + 1]
        fsd = (parts[maps[ref]] + fsd_block) * bs
        offsets.append(fsd)
        f.seek(fsd)
        s = lanes(f.read(2048))
    return offsets, "%08X" % (s[3] << 24 | s[2] << 16 | s[1] << 8 | s[0])

def main():
    tmp = tempfile.mkdtemp()
    expected = []
    def img(name, size):
        p = os.path.join(tmp, name)
        with open(p, "wb") as f:
            f.truncate(size)
        return p
    boots = [
        ("fat12", ["mkfs.vfat", "-i", "0A1B2C3D", "-n", "FAT12VOL"], 2 << 20),
        ("fat16", ["mkfs.vfat", "-F", "16", "-i", "00ABCDEF"], 40 << 20),
        ("fat32", ["mkfs.vfat", "-F", "32", "-i", "DEADBEEF", "-n", "MY DISK"], 40 << 20),
        ("exfat", ["mkfs.exfat", "-L", "EXFATV"], 8 << 20),
        ("ntfs", ["mkfs.ntfs", "-F", "-f", "-L", "NTFSV"], 8 << 20),
    ]
    for name, cmd, size in boots:
        p = img(name + ".img", size)
        run(*cmd, p)
        with open(p, "rb") as f, open(os.path.join(HERE, name + ".boot"), "wb") as o:
            o.write(f.read(512))
        expected.append("%s %s" % (name + ".boot", blkid(p, "UUID")))
    src = os.path.join(tmp, "disc")
    os.mkdir(src)
    with open(os.path.join(src, "film.avi"), "w") as f:
        f.write("x")
    for name, extra in (("iso_primary", []), ("iso_joliet", ["-J"])):
        p = os.path.join(tmp, name + ".iso")
        run("genisoimage", "-quiet", *extra, "-V", "VERDAN", "-o", p, src)
        offsets, serial = iso_sectors(p)
        dump(p, os.path.join(HERE, name + ".sectors"), offsets)
        expected.append("%s %s" % (name + ".sectors", serial))
    p = img("udf.img", 4 << 20)
    run("mkudffs", "--blocksize=2048", "--label=VERDAN", p)
    offsets, serial = udf_sectors(p)
    dump(p, os.path.join(HERE, "udf.sectors"), offsets)
    expected.append("udf.sectors %s" % serial)
    with open(os.path.join(HERE, "expected.txt"), "w") as f:
        f.write("\n".join(expected) + "\n")

if __name__ == "__main__":
    sys.exit(main())
