# Third-party dBASE readers and writers for the randomised differential test, run as black boxes.
# usage: dbf_diff_peer.py read-dbfread|read-dbf ENCODING PATH... | write-dbf KIND ENCODING PATH ROWSFILE
#        | charmap ENCODING...
# ENCODING "-" lets the peer take the code page from the table's language driver.
# Each table read prints "#table PATH", "#fields NAME:TYPE:LEN:DEC ..." and one line per live
# record in the canonical form of the C++ side, then "#deleted N". A table the peer refuses prints
# "#error TEXT" in place of its records.
# Canonical values: text as UTF-8 without trailing blanks, with \\ \t \n \r escaped; numbers with
# decimals as fixed text with the field's decimals, whole numbers as integers; binary doubles with
# 17 significant digits; dates YYYY-MM-DD; time stamps YYYY-MM-DD HH:MM:SS.mmm; logicals T/F;
# binary memos as hex:...; missing values <null>.
import datetime
import decimal
import sys


def escape(text):
    return text.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n').replace('\r', '\\r')


def canon(value, ftype, dec):
    if value is None:
        # A memo field without a memo and one with an empty memo are the same to every reader.
        return '' if ftype in 'MBG' else '<null>'
    if isinstance(value, bool):
        return 'T' if value else 'F'
    if ftype in 'NF':
        if isinstance(value, (int, float, decimal.Decimal)):
            if dec > 0:
                return '%.*f' % (dec, decimal.Decimal(value) if not isinstance(value, float) else value)
            return '%d' % int(value)
        return 'str:' + escape(str(value))
    if ftype in 'I+':
        return '%d' % int(value)
    if ftype == 'O':
        return '%.17g' % float(value)
    if isinstance(value, datetime.datetime):
        return '%04d-%02d-%02d %02d:%02d:%02d.%03d' % (value.year, value.month, value.day, value.hour,
                                                      value.minute, value.second, value.microsecond // 1000)
    if isinstance(value, datetime.date):
        return '%04d-%02d-%02d' % (value.year, value.month, value.day)
    if isinstance(value, (bytes, bytearray)):
        return 'hex:' + bytes(value).hex()
    # Memos keep their trailing blanks; character fields are blank-padded.
    return escape(str(value) if ftype in 'MBG' else str(value).rstrip(' '))


def out(line):
    sys.stdout.buffer.write((line + '\n').encode('utf-8'))


def read_dbfread(encoding, paths):
    import dbfread
    for path in paths:
        out('#table ' + path)
        try:
            table = dbfread.DBF(path, char_decode_errors='strict', encoding=None if encoding == '-' else encoding)
            fields = [(f.name, f.type, f.length, f.decimal_count) for f in table.fields]
            out('#fields ' + ' '.join('%s:%s:%d:%d' % f for f in fields))
            for rec in table:
                out('\t'.join(canon(rec[f[0]], f[1], f[3]) for f in fields))
            out('#deleted %d' % len(list(table.deleted)))
        except Exception as e:  # the refusal itself is what the caller compares
            out('#error %s: %s' % (type(e).__name__, str(e).replace('\n', ' ')))


def read_dbf(encoding, paths):
    import dbf
    for path in paths:
        out('#table ' + path)
        try:
            table = dbf.Table(path, codepage=encoding) if encoding != '-' else dbf.Table(path)
            table.open(dbf.READ_ONLY)
        except Exception as e:
            out('#error %s: %s' % (type(e).__name__, str(e).replace('\n', ' ')))
            continue
        try:
            names = table.field_names
            infos = [table.field_info(n) for n in names]
            types = [chr(i.field_type) if isinstance(i.field_type, int) else str(i.field_type) for i in infos]
            out('#fields ' + ' '.join('%s:%s:%d:%d' % (n.upper(), t, i.length, i.decimal)
                                      for n, t, i in zip(names, types, infos)))
            deleted = 0
            for rec in table:
                if dbf.is_deleted(rec):
                    deleted += 1
                    continue
                row = []
                for n, t, i in zip(names, types, infos):
                    v = rec[n]
                    if isinstance(v, str) and t == 'C':
                        v = v.rstrip()
                    if t == 'L' and v is not None and not isinstance(v, bool):
                        v = None if v is dbf.Unknown or str(v) == '?' else bool(v)
                    row.append(canon(v, t, i.decimal))
                out('\t'.join(row))
            out('#deleted %d' % deleted)
        except Exception as e:
            out('#error %s: %s' % (type(e).__name__, str(e).replace('\n', ' ')))
        finally:
            table.close()


def unescape(text):
    result, i = [], 0
    while i < len(text):
        c = text[i]
        if c == '\\' and i + 1 < len(text):
            result.append({'t': '\t', 'n': '\n', 'r': '\r', '\\': '\\'}[text[i + 1]])
            i += 2
        else:
            result.append(c)
            i += 1
    return ''.join(result)


def write_dbf(kind, encoding, path, rows_file):
    # ROWSFILE: first line the field specs "NAME TYPE LEN DEC" separated by tabs; then one line per
    # record: a deletion mark ('*' or ' ') and the canonical values, tab-separated.
    import dbf
    with open(rows_file, encoding='utf-8') as f:
        lines = f.read().split('\n')
    specs = [s.split(' ') for s in lines[0].split('\t')]
    parts = []
    for name, ftype, length, dec in specs:
        if ftype in 'CN F':
            parts.append('%s %s(%s%s)' % (name, ftype, length, ',' + dec if ftype in 'NF' else ''))
        else:
            parts.append('%s %s' % (name, ftype))
    table = dbf.Table(path, '; '.join(parts), dbf_type=kind, codepage=encoding)
    table.open(dbf.READ_WRITE)
    try:
        for line in lines[1:]:
            if not line:
                continue
            mark, values = line[0], line[2:].split('\t')
            row = []
            for (name, ftype, length, dec), v in zip(specs, values):
                if v == '<null>':
                    row.append(None)
                elif ftype == 'C' or ftype == 'M':
                    row.append(unescape(v))
                elif ftype in 'NF':
                    row.append(int(v) if int(dec) == 0 else float(v))
                elif ftype == 'L':
                    row.append(v == 'T')
                elif ftype == 'D':
                    row.append(datetime.date(int(v[0:4]), int(v[5:7]), int(v[8:10])))
                else:
                    raise SystemExit('type ' + ftype)
            table.append(tuple(row))
            if mark == '*':
                dbf.delete(table[-1])
    finally:
        table.close()


def charmap(encodings):
    # For each code page a line: its name, then for the bytes 0x80-0xFF their character as UTF-8 in
    # hex, or '-' where the code page has none.
    for enc in encodings:
        cells = []
        for b in range(0x80, 0x100):
            try:
                cells.append(bytes([b]).decode(enc).encode('utf-8').hex())
            except UnicodeDecodeError:
                cells.append('-')
        out(enc + ' ' + ' '.join(cells))


def main():
    cmd = sys.argv[1]
    if cmd == 'charmap':
        charmap(sys.argv[2:])
        return
    if cmd == 'read-dbfread':
        read_dbfread(sys.argv[2], sys.argv[3:])
    elif cmd == 'read-dbf':
        read_dbf(sys.argv[2], sys.argv[3:])
    elif cmd == 'write-dbf':
        write_dbf(*sys.argv[2:6])
    else:
        raise SystemExit('unknown command ' + cmd)


if __name__ == '__main__':
    main()
