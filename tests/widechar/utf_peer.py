# Python's codecs as the peer of the UTF-8 and UTF-7 conversions. Each stdin line is hex; each
# output line is hex, or ERR when the codec refuses the input. Text travels as UTF-16LE units so
# that lone surrogates pass both ways.
#   encode CODEC    UTF-16LE units -> bytes of CODEC
#   decode CODEC    bytes of CODEC -> UTF-16LE units
#   unitwise-utf8   UTF-16LE units -> each unit on its own in UTF-8 (surrogates as three bytes)
import sys

mode = sys.argv[1]
for line in sys.stdin:
    data = bytes.fromhex(line.strip())
    try:
        if mode == "encode":
            out = data.decode("utf-16-le", "surrogatepass").encode(sys.argv[2])
        elif mode == "decode":
            out = data.decode(sys.argv[2]).encode("utf-16-le", "surrogatepass")
        elif mode == "unitwise-utf8":
            units = [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]
            out = b"".join(chr(u).encode("utf-8", "surrogatepass") for u in units)
        else:
            raise SystemExit("unknown mode " + mode)
        print(out.hex())
    except UnicodeError:
        print("ERR")
