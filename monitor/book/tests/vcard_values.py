#!/usr/bin/python3
"""Reads one vCard file with vobject, an reader independent of ours, and writes its content
lines sorted, one per line, as group.NAME;PARAM=values;...:value.

usage: vcard_values.py <vcard> <encoding> <out>
Our own X-BELVERIN-FIELD parameter is left out, so a card before and after a save compare.
Exits non-zero when vobject cannot read the file.
"""
import base64
import re
import sys

import vobject


def main():
    path, encoding, out = sys.argv[1:4]
    data = open(path, "rb").read()
    # Folding is at the octet level: a character may be split over two lines.
    data = re.sub(rb"\r?\n[ \t]", b"", data)
    card = vobject.readOne(data.decode(encoding), transform=False, validate=False)
    lines = []
    for children in card.contents.values():
        for line in children:
            params = sorted(
                "%s=%s" % (k, ",".join(v))
                for k, v in line.params.items()
                if k != "X-BELVERIN-FIELD"
            )
            params += sorted(line.singletonparams)
            value = line.value
            if isinstance(value, bytes):
                value = "base64:" + base64.b64encode(value).decode()
            elif isinstance(value, list):
                value = "|".join(value)
            name = (line.group + "." if line.group else "") + line.name
            lines.append(";".join([name] + params) + ":" + value.replace("\n", "\\n"))
    with open(out, "w", encoding="utf-8") as f:
        f.write("".join(l + "\n" for l in sorted(lines)))


main()
