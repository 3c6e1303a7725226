# Third-party dBASE readers and writers for the table interop tests, run as black boxes.
# usage: dbf_peer.py read-dbfread PATH [ENCODING] | read-dbf PATH [CODEPAGE] | write-dbf PATH db3|fp
#        | write-fox30 PATH [FIELD]
# A table without a language driver names no code page: the caller then gives it.
# Records are printed one a line, fields separated by tabs, in the canonical form the C++ side
# builds: text as UTF-8 without trailing blanks, numbers as %.10g, dates YYYY-MM-DD, logicals T/F,
# missing values <null>.
import datetime
import sys


def canon(value):
    if value is None:
        return '<null>'
    if isinstance(value, bool):
        return 'T' if value else 'F'
    if isinstance(value, (int, float)):
        return '%.10g' % float(value)
    if isinstance(value, datetime.datetime):
        return value.strftime('%Y-%m-%d %H:%M:%S')
    if isinstance(value, datetime.date):
        return value.strftime('%Y-%m-%d')
    if isinstance(value, bytes):
        value = value.decode('latin-1')
    return str(value).rstrip(' ').replace('\t', '\\t').replace('\n', '\\n').replace('\r', '\\r')


def emit(rows):
    out = sys.stdout.buffer
    for row in rows:
        out.write(('\t'.join(canon(v) for v in row) + '\n').encode('utf-8'))


def read_dbfread(path, encoding=None):
    import dbfread
    table = dbfread.DBF(path, char_decode_errors='strict', encoding=encoding)
    print('#fields\t' + '\t'.join('%s:%s:%d:%d' % (f.name, f.type, f.length, f.decimal_count) for f in table.fields))
    sys.stdout.flush()
    emit([list(r.values()) for r in table])


def read_dbf(path, codepage=None):
    import dbf
    table = dbf.Table(path, codepage=codepage) if codepage else dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        names = table.field_names
        print('#fields\t' + '\t'.join(names))
        sys.stdout.flush()
        rows = []
        for rec in table:
            row = []
            for n in names:
                v = rec[n]
                if isinstance(v, str):
                    v = v.rstrip()
                row.append(v)
            rows.append(row)
        emit(rows)
    finally:
        table.close()


# The rows the peers write, in the same canonical form the reader side compares.
ROWS = [
    ('Anna', 'M\u00fcller', 12, 3.25, 1.125, datetime.date(2024, 2, 29), True, 'first memo'),
    ('Bj\u00f6rn', 'Stra\u00dfe', -7, -0.5, -42.5, datetime.date(1999, 12, 31), False, 'line one\r\nline two ' + 'x' * 600),
    ('', '', 0, 0.0, 0.001, datetime.date(2000, 1, 1), True, 'm'),
]


def write_dbf(path, kind):
    import dbf
    codepage = 'cp1252' if kind == 'fp' else 'cp850'
    table = dbf.Table(path, 'NAME C(20); CITY C(30); QTY N(6,0); PRICE N(10,2); RATE F(8,3); BORN D; OK L; NOTE M',
                      dbf_type=kind, codepage=codepage)
    table.open(dbf.READ_WRITE)
    for row in ROWS:
        table.append(row)
    table.close()


# A table of the later FoxPro layout (version byte 0x30) with binary integers and date-times; with
# a field (such as 'PRICE Y') a table holding only NAME and that field.
FOX30_ROWS = [
    ('one', 1, datetime.datetime(2024, 1, 2, 3, 4, 5), datetime.date(2024, 1, 2)),
    ('neg', -5, datetime.datetime(1999, 12, 31, 23, 59, 59), datetime.date(1999, 12, 31)),
]


def write_fox30(path, field=None):
    import dbf
    table = dbf.Table(path, 'NAME C(10); ' + field if field else 'NAME C(10); QTY I; STAMP T; DAY D', dbf_type='vfp')
    table.open(dbf.READ_WRITE)
    if not field:
        for row in FOX30_ROWS:
            table.append(row)
    table.close()


def main():
    cmd, path = sys.argv[1], sys.argv[2]
    if cmd == 'read-dbfread':
        read_dbfread(path, *sys.argv[3:4])
    elif cmd == 'read-dbf':
        read_dbf(path, *sys.argv[3:4])
    elif cmd == 'write-dbf':
        write_dbf(path, sys.argv[3])
    elif cmd == 'write-fox30':
        write_fox30(path, *sys.argv[3:4])
    else:
        raise SystemExit('unknown command ' + cmd)


if __name__ == '__main__':
    main()
