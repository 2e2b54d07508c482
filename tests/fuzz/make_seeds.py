#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into tests/fuzz/corpus/<target>/.

The files are committed; run this again only after changing the seeds below. Input layouts
are described in fuzz_support.h and at the top of each target.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def utf8(s):
    return s.encode("utf-8")


def utf16(s):
    return s.encode("utf-16-le", "surrogatepass")


def two(flags, first, second):
    return bytes([flags]) + struct.pack("<H", len(first)) + first + second


def version_seeds():
    cases = [
        ("2.0.0.9|x|first note|second note|", "2.0.0.8"),
        ("2.0.0.8|x|", "2.0.0.8"),
        ("no bars at all", "1.0"),
        ("1.2.3.4|\r\nfield\r\n|\x00cut off\nnext line|", "1.2.3.3"),
        ("桌面 3.0|x|新版说明|", "2.9"),
        ("99999999999.1.2147483648|x|", "-5"),
        ("1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.1|", "1"),
        ("|||", ""),
    ]
    seeds = [two(0, utf8(r), utf8(v)) for r, v in cases]
    seeds.append(two(6, utf8("2.1|x|" + "n" * 600 + "|"), utf8("2.0")))  # too long, chunked
    seeds.append(two(0, b"2.\xe6\xa1|\xff\xfe|\xf0\x9f\x98|", b"\xc0\xaf"))  # malformed UTF-8
    seeds.append(two(1, utf16("2.1|x|y|"), utf16("2.0")))
    seeds.append(two(1, utf16("\ud800 3|x|"), utf16("\udc00")))  # lone surrogates
    return seeds


def drop_rules_seeds():
    names = [
        "C:\\Users\\me\\Desktop\\report.final.docx",
        "C:\\",
        "D:\\games\\Game.lnk",
        "x.lnk",
        "C:\\a.LNK",
        "\\\\server\\share\\dir.d\\file",
        "C:\\Program Files\\dir.with.dots\\",
        "桌面\\文件.txt",
        "😀😀.txt",
    ]
    seeds = [b"\x00" + utf8(n) for n in names]
    seeds.append(b"\x01" + utf16("C:\\文档\\a.b.lnk"))
    seeds.append(b"\x01" + utf16("\ud83d.x\\\udc00"))
    return seeds


def browser_seeds():
    handlers = [
        '"C:\\Program Files\\Internet Explorer\\iexplore.exe" -nohome "%1"',
        "C:\\PROGRA~1\\MOZILL~1\\FIREFOX.EXE -url \"%1\"",
        "firefox %1",
        '"C:\\b.exe"',
        '"C:\\b b\\x.exe" --single-argument %1 "%1"',
        'b.exe "a\\\\" "%1"',
        "",
    ]
    urls = [
        'http://a/b?c="d"&e=\\"f',
        "http://x/y\\",
        "http://x/ space\\\\",
        "https://例子.测试/路径?q=桌面",
        "",
        "\t\"\"\"",
    ]
    seeds = []
    for i, h in enumerate(handlers):
        seeds.append(two(0, utf8(h), utf8(urls[i % len(urls)])))
    seeds.append(two(1, utf16('"C:\\浏览器.exe" "%1"'), utf16('http://a/"b"\\')))
    return seeds


def placement_seeds():
    # FuzzedDataProvider reads integers from the end: the last byte chooses the function
    # (bits 1-7 modulo 5; 3 and 4 are the rules over monitors) and whether the screen is
    # sane (bit 0).
    seeds = []
    for choice in range(10):
        body = struct.pack("<8i", 1920, 1050, 240, 240, -50, 1000, 2147483647, -2147483648)
        seeds.append(body + bytes([choice]))
        seeds.append(bytes(range(40)) + bytes([choice]))
        seeds.append(b"\xff" * 40 + bytes([choice]))
    return seeds


def find_duplicate_seeds():
    paths = [
        "C:\\It's here\\a.txt",
        "'';--",
        "O''Brien",
        "",
        "桌面",
        "'",
        "'); drop table tb_Btns; --",
        "\\' or 1=1 --",
        "%s %d \"q\" [x] `y`",
    ]
    seeds = []
    for i, p in enumerate(paths):
        seeds.append(bytes([0]) + struct.pack("<h", i % 5) + utf8(p))
    seeds.append(bytes([0]) + struct.pack("<h", -32768) + utf8("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"))
    seeds.append(bytes([1]) + struct.pack("<h", 2) + utf16("C:\\It's\\\ud800"))
    return seeds


def import_seeds():
    files = [
        '{"format":"quorlin-buttons","version":1,"buttons":[{"title":"a","path":"C:\\\\a.txt","kind":0,"parameter":"-x"}]}',
        '{"format":"quorlin-buttons","version":1,"buttons":[{"path":"%USERPROFILE%\\\\Desktop","kind":2},'
        '{"title":"\u684c\u9762","path":"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}","kind":3,"parameter":null}]}',
        '{"format":"quorlin-buttons","version":2,"buttons":[]}',
        '{"format":"quorlin-buttons","version":1,"buttons":[{"kind":0},{"path":"x","kind":9},7,[]]}',
        '{"format":"quorlin-buttons","version":1.0,"buttons":{}}',
        '[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]',
        '\ufeff{"format":"quorlin-buttons","version":1,"buttons":[{"path":"a\\u0000b","kind":0}]}',
        '{"format":"quorlin-buttons","version":1,"buttons":[{"path":"\\ud800","kind":0}]}',
        'not json at all',
        '',
        '{"format":"quorlin-buttons","version":1,"buttons":[{"title":"\u6211\u7684\u7535\u8111","kind":3,'
        '"path":"C:\\\\Windows\\\\System32\\\\cmd.exe","parameter":"/c x"},{"path":"\\\\\\\\h@SSL\\\\s","kind":0},'
        '{"path":"search-ms:x","kind":4}]}',
        '{"format":"quorlin-buttons","version":' + '[' * 40 + ']' * 40 + ',"buttons":[]}',
    ]
    seeds = []
    for i, f in enumerate(files):
        seeds.append(bytes([i & 1]) + utf8(f))
    seeds.append(bytes([1]) + b'{"format":"quorlin-buttons","version":1,"buttons":[{"path":"\xff\xfe","kind":0}]}')
    return seeds


def odd_values_seeds():
    def value(kind, v):
        if kind == 0:
            return bytes([0]) + struct.pack("<q", v)
        if kind == 1:
            return bytes([1]) + struct.pack("<d", v)
        return bytes([kind]) + bytes(8)
    cases = [
        (value(1, 1e300), value(0, 0), b""),
        (value(1, -1e300), value(1, 1e300), b""),
        (value(1, 2.5), value(1, 2.0), b""),
        (value(1, float("nan")), value(1, float("inf")), b""),
        (value(0, 2**63 - 1), value(0, 2**32), b""),
        (value(0, -2**63), value(0, -1), b""),
        (value(0, 2**31 + 5), value(2, 0), b"abc"),
        (value(2, 0), value(3, 0), b"12"),
        (value(4, 0), value(4, 0), b""),
        (value(1, 9.223372036854775e18), value(0, 4), b""),
    ]
    return [a + b + rest for a, b, rest in cases]


def png_seeds():
    # The smallest pictures the program ships (RGBA, filtered rows) and one cut short.
    art = os.path.join(HERE, "..", "..", "res", "art")
    seeds = []
    for name in ("minute.png", "hub.png", "badge_locked.png"):
        with open(os.path.join(art, name), "rb") as f:
            seeds.append(f.read())
    seeds.append(seeds[0][: len(seeds[0]) // 2])
    return seeds


def main():
    targets = {
        "png_decode_fuzz": png_seeds(),
        "version_fuzz": version_seeds(),
        "drop_rules_fuzz": drop_rules_seeds(),
        "browser_command_fuzz": browser_seeds(),
        "placement_fuzz": placement_seeds(),
        "find_duplicate_fuzz": find_duplicate_seeds(),
        "import_fuzz": import_seeds(),
        "odd_values_fuzz": odd_values_seeds(),
    }
    for name, seeds in targets.items():
        folder = os.path.join(HERE, "corpus", name)
        os.makedirs(folder, exist_ok=True)
        for old in os.listdir(folder):
            os.remove(os.path.join(folder, old))
        for i, data in enumerate(seeds):
            with open(os.path.join(folder, "seed-%02d" % i), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
