# Prints the records of a dBASE table as a third-party reader sees them, one line per record:
#   addresstable_dbf.py TABLE
# the field values joined by TAB, written as cp1252 bytes, trailing blanks removed by the reader.
import sys

import dbfread


def main():
    # The reader takes the code page from the table's language driver byte.
    table = dbfread.DBF(sys.argv[1], char_decode_errors="strict")
    out = sys.stdout.buffer
    out.write(("\t".join(table.field_names) + "\n").encode("cp1252"))
    for record in table:
        out.write(("\t".join(str(v or "") for v in record.values()) + "\n").encode("cp1252"))


if __name__ == "__main__":
    main()
