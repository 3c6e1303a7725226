# Third-party dBASE peers for the table data-set interop tests, run as black boxes.
# usage: table_peer.py read PATH [CODEPAGE] | dbfread PATH [ENCODING] | write PATH db3|fp
# A level-III table names no code page: the caller gives it.
# Rows are printed one a line, fields separated by tabs, text as UTF-8 without trailing blanks,
# line breaks in memos as \n; deleted records are left out.
import sys


def canon(value):
    if value is None:
        return '<null>'
    if isinstance(value, bytes):
        value = value.decode('latin-1')
    return str(value).rstrip(' ').replace('\t', '\\t').replace('\r', '\\r').replace('\n', '\\n')


def emit(names, rows):
    out = sys.stdout.buffer
    out.write(('#fields\t' + '\t'.join(names) + '\n').encode('utf-8'))
    for row in rows:
        out.write(('\t'.join(canon(v) for v in row) + '\n').encode('utf-8'))


def read(path, codepage=None):
    import dbf
    table = dbf.Table(path, codepage=codepage) if codepage else dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        names = list(table.field_names)
        rows = [[rec[n] for n in names] for rec in table if not dbf.is_deleted(rec)]
        emit([n.upper() for n in names], rows)
    finally:
        table.close()


def read_dbfread(path, encoding=None):
    import dbfread
    table = dbfread.DBF(path, char_decode_errors='strict', encoding=encoding)
    emit([f.name for f in table.fields], [list(r.values()) for r in table])


def write(path, kind):
    import dbf
    table = dbf.Table(path, 'NAME C(20); CITY C(15); NOTE M', dbf_type=kind, codepage='cp850')
    table.open(dbf.READ_WRITE)
    try:
        table.append(('M\u00fcller', 'K\u00f6ln', 'Gr\u00fc\u00dfe\nvom Rhein'))
        table.append(('Schmidt', 'Bonn', ''))
        table.append(('\u00d6zt\u00fcrk', 'D\u00fcren', 'x' * 700 + '\u00e4'))
    finally:
        table.close()


if __name__ == '__main__':
    cmd = sys.argv[1]
    if cmd == 'read':
        read(*sys.argv[2:4])
    elif cmd == 'dbfread':
        read_dbfread(*sys.argv[2:4])
    elif cmd == 'write':
        write(sys.argv[2], sys.argv[3])
    else:
        sys.exit('unknown command ' + cmd)
