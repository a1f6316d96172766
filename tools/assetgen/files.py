"""The file writers: BMP, PNG, ICO and WAV bytes, and writing them."""

import struct
import zlib


def bmp_bytes(img):
    """Windows BMP: file header + 40-byte info header + 256 BGR0 entries + bottom-up rows."""
    w, h = img.w, img.h
    stride = (w + 3) // 4 * 4
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, stride * h, 0, 0, 0, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in img.palette)
    assert len(img.palette) == 256
    pad = b'\0' * (stride - w)
    rows = b''.join(bytes(img.index[y * w:(y + 1) * w]) + pad for y in range(h - 1, -1, -1))
    dib = info + pal + rows
    head = struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, 14 + 40 + 1024)
    return head + dib


def png_bytes(w, h, rgb):
    """Minimal truecolour PNG (zlib from the standard library)."""
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for r, g, b in rgb[y * w:(y + 1) * w]:
            raw += bytes((r, g, b))

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))

    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def ico_bytes(px, palette):
    """A 32 x 32 icon of 16 colours: pixels are palette indices, None where it is transparent."""
    size = 32
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 512 + 128, 0, 0, 0, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette)
    xor = bytearray()
    andm = bytearray()
    for y in range(size - 1, -1, -1):
        row = [px[y * size + x] for x in range(size)]
        for x in range(0, size, 2):
            xor.append(((row[x] or 0) << 4) | (row[x + 1] or 0))
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        andm += struct.pack('>I', bits)
    image = info + pal + bytes(xor) + bytes(andm)
    assert len(image) == 744
    head = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), 22)
    return head + image


def wav_bytes(samples, rate):
    """Mono 8-bit PCM at `rate` samples a second."""
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate, 1, 8)
    # The data chunk is the last one, so it carries no trailing pad byte even
    # though its length is odd: the file is exactly 8 + the RIFF size long.
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(samples)) + samples
    return b'RIFF' + struct.pack('<I', len(body)) + body


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)
