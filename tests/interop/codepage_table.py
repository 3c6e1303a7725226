# Prints, for each code page named on the command line, "cp byte codepoint" for every byte that
# Python's codec decodes alone (-1 where it does not); "encode CODEC" turns hex UTF-8 lines on stdin
# into hex bytes of that codec, "decode CODEC [ERRORS]" the other way.
import sys

if sys.argv[1] == "encode":
    codec = sys.argv[2]
    for line in sys.stdin:
        text = bytes.fromhex(line.strip()).decode("utf-8")
        print(text.encode(codec).hex())
elif sys.argv[1] == "decode":
    codec = sys.argv[2]
    errors = sys.argv[3] if len(sys.argv) > 3 else "strict"
    for line in sys.stdin:
        print(bytes.fromhex(line.strip()).decode(codec, errors).encode("utf-8").hex())
else:
    for cp in sys.argv[1:]:
        for b in range(256):
            try:
                ch = bytes([b]).decode("cp" + cp)
                print(cp, b, ord(ch) if len(ch) == 1 else -1)
            except UnicodeDecodeError:
                print(cp, b, -1)
