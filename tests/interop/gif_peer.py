# GIF peers for the picture interop tests, run as black boxes.
# usage: gif_peer.py dump FILE      frames as giflib reads them (gifbuild -d): one line per frame
#                                   and per comment
#        gif_peer.py pillow FILE    what Pillow reads: frame count, loop, durations, first frame
#        gif_peer.py make DIR       GIF files written by Pillow, gifsicle, ImageMagick and gifbuild
# Pixels are printed as RRGGBB hex, row by row, each frame's rows in display order.
import os
import subprocess
import sys


def dump(path):
    text = subprocess.run(['gifbuild', '-d', path], check=True, capture_output=True, text=True,
                          errors='replace').stdout.split('\n')
    out = []
    screen_map, control, frame = None, {}, None
    i = 0

    def read_map(i):
        # A map: "rgb r g b is c" (pixels drawn with the character c) or "rgb r g b" (hex pixels).
        entries, chars = [], {}
        while i < len(text) and text[i].strip() != 'end':
            parts = text[i].split()
            if parts and parts[0] == 'rgb':
                rgb = '%02X%02X%02X' % (int(parts[1]), int(parts[2]), int(parts[3]))
                if len(parts) >= 6 and parts[4] == 'is':
                    chars[text[i].split(' is ', 1)[1]] = len(entries)
                entries.append(rgb)
            i += 1
        return (entries, chars), i + 1

    while i < len(text):
        line = text[i].strip()
        if line.startswith('screen width'):
            width = int(line.split()[2])
        elif line.startswith('screen height'):
            out.append('screen %d %s' % (width, line.split()[2]))
        elif line == 'screen map':
            screen_map, i = read_map(i + 1)
            continue
        elif line == 'comment':
            lines = []
            i += 1
            while text[i].strip() != 'end':
                lines.append(text[i])
                i += 1
            out.append('comment ' + '|'.join(lines))
        elif line.startswith('netscape loop'):
            out.append('loop ' + line.split()[2])
        elif line == 'graphics control':
            control = {}
            i += 1
            while text[i].strip() != 'end':
                words = text[i].split()
                if words[:2] == ['disposal', 'mode']:
                    control['disposal'] = words[2]
                elif words[0] == 'delay':
                    control['delay'] = words[1]
                elif words[:2] == ['transparent', 'index']:
                    control['transparent'] = int(words[2])
                i += 1
        elif line.startswith('image #'):
            frame = {'map': None, 'interlaced': 0}
        elif line.startswith('image left'):
            frame['left'] = line.split()[2]
        elif line.startswith('image top'):
            frame['top'] = line.split()[2]
        elif line == 'image interlaced':
            frame['interlaced'] = 1
        elif line == 'image map':
            frame['map'], i = read_map(i + 1)
            continue
        elif line.startswith('image bits'):
            words = line.split()
            w, h, hexed = int(words[2]), int(words[4]), words[-1] == 'hex'
            entries, chars = frame['map'] or screen_map
            pixels = []
            for row in text[i + 1:i + 1 + h]:
                if hexed:
                    idx = [int(row[2 * k:2 * k + 2], 16) for k in range(w)]
                else:
                    idx = [chars[c] if c in chars else ord(c) for c in row[:w]]
                pixels.append(''.join(entries[k] if k < len(entries) else '000000' for k in idx))
            t = control.get('transparent')
            trans = entries[t] if t is not None and 0 <= t < len(entries) else '-'
            out.append('frame %s %s %d %d %d %s %s %s %s' % (
                frame['left'], frame['top'], w, h, frame['interlaced'], control.get('delay', '0'),
                control.get('disposal', '0'), trans, ''.join(pixels)))
            control = {}
            i += 1 + h
            continue
        i += 1
    print('\n'.join(out))


def pillow(path):
    from PIL import Image
    im = Image.open(path)
    print('frames %d' % getattr(im, 'n_frames', 1))
    print('loop %s' % im.info.get('loop', '-'))
    durations = []
    for n in range(getattr(im, 'n_frames', 1)):
        im.seek(n)
        durations.append(str(im.info.get('duration', 0)))
    print('durations ' + ','.join(durations))
    im.seek(0)
    rgb = im.convert('RGB')
    print('first %d %d %s' % (rgb.width, rgb.height,
                               ''.join('%02X%02X%02X' % p for p in rgb.getdata())))
    if 'comment' in im.info:
        print('comment ' + im.info['comment'].decode('latin-1'))


def make(folder):
    from PIL import Image
    pal_a = [255, 0, 0, 0, 128, 0, 0, 0, 255, 255, 255, 255] + [0] * 12
    pal_b = [10 * k % 256 for k in range(3 * 64)]
    frames = []
    a = Image.new('P', (13, 9))
    a.putpalette(pal_a)
    a.putdata([(x * y + x) % 4 for y in range(9) for x in range(13)])
    frames.append(a)
    b = Image.new('P', (13, 9))
    b.putpalette(pal_b)
    b.putdata([(x + 3 * y) % 64 for y in range(9) for x in range(13)])
    frames.append(b)
    c = Image.new('P', (13, 9))
    c.putpalette(pal_a)
    c.putdata([(x // 3 + y) % 4 for y in range(9) for x in range(13)])
    frames.append(c)
    pillow_file = os.path.join(folder, 'pillow.gif')
    frames[0].save(pillow_file, save_all=True, append_images=frames[1:], duration=[100, 250, 40],
                   loop=2, transparency=3, disposal=[1, 2, 1], optimize=False)
    subprocess.run(['gifsicle', '--interlace', '--loopcount=4', '--delay=30', pillow_file,
                    '-o', os.path.join(folder, 'gifsicle.gif')], check=True)
    pngs = []
    for n, f in enumerate(frames):
        png = os.path.join(folder, 'frame%d.png' % n)
        f.convert('RGB').save(png)
        pngs.append(png)
    subprocess.run(['/usr/bin/convert', '-delay', '20', '-dispose', 'Background'] + pngs +
                   ['-loop', '0', '-interlace', 'GIF', os.path.join(folder, 'magick.gif')], check=True)
    description = os.path.join(folder, 'build.txt')
    with open(description, 'w') as f:
        f.write(BUILD_TEXT)
    with open(os.path.join(folder, 'gifbuild.gif'), 'wb') as out:
        subprocess.run(['gifbuild', description], check=True, stdout=out)


BUILD_TEXT = '''screen width 9
screen height 12
screen colors 4
screen background 1
pixel aspect byte 0

screen map
\trgb 000 000 000 is 0
\trgb 255 255 255 is 1
\trgb 200 100 050 is 2
\trgb 010 020 030 is 3
end

comment
made by gifbuild
end

graphics control
\tdisposal mode 2
\tuser input flag off
\tdelay 35
\ttransparent index 2
end

image # 1
image left 0
image top 0
image interlaced
image bits 9 by 12
012301230
123012301
230123012
301230123
000011112
222233330
012012012
333222111
101010101
232323232
000000000
123123123

graphics control
\tdisposal mode 1
\tuser input flag off
\tdelay 5
\ttransparent index 0
end

image # 2
image left 3
image top 4
image map
\trgb 255 000 000 is 0
\trgb 000 255 000 is 1
\trgb 000 000 255 is 2
\trgb 255 255 000 is 3
\trgb 000 255 255 is 4
\trgb 255 000 255 is 5
\trgb 128 128 128 is 6
\trgb 064 064 064 is 7
end
image bits 5 by 3
01234
56701
23456
'''

if __name__ == '__main__':
    command, arg = sys.argv[1], sys.argv[2]
    {'dump': dump, 'pillow': pillow, 'make': make}[command](arg)
