#!/usr/bin/env python3
"""Generate every image and the sound that VARNO.scr carries as resources.

    python3 tools/make_assets.py            (from the repository root)

Writes into assets/: logo.bmp, logo_mask.bmp, picture_<id>.bmp (24 of them),
dialog_image.bmp, chime.wav, varno.ico, and PNG previews in assets/preview/.

Everything is drawn from code with plain Python (no third-party modules, no
third-party images or sounds). All randomness comes from fixed seeds, so every
run writes the same bytes.

The painters live in the package assetgen/, one module per family of pictures
beside the emblem, the icon, the chime, the previews and the file writers;
PAINTERS below says which paints which picture.
"""

import os
import sys

import asset_catalog as catalog
from assetgen import land, mountains, patterns, sea, sky
from assetgen.chime import WAVE_RATE, chime_samples
from assetgen.emblem import dialog_picture, logo_and_mask
from assetgen.files import bmp_bytes, ico_bytes, png_bytes, wav_bytes, write
from assetgen.icon import VGA16, icon_pixels
from assetgen.palette import quantise
from assetgen.preview import compose_logo, preview_contact_sheet, preview_icon

# The painter of each picture, row by row of catalog.PICTURES (whose resource number is
# also the picture's seed).
PAINTERS = [
    land.pic_summer_hills, sea.pic_sea_sunset, mountains.pic_alpine, sky.pic_starry_night,
    sky.pic_aurora, mountains.pic_dunes, sky.pic_cloud_sea, land.pic_poppies,
    mountains.pic_mountain_lake, sea.pic_beach, land.pic_autumn_wood, patterns.pic_mandala,
    land.pic_lavender, mountains.pic_misty_pines, mountains.pic_canyon, sea.pic_moonlit_sea,
    patterns.pic_agate, land.pic_sunflowers, land.pic_rainbow, sky.pic_planet,
    sea.pic_lighthouse, sky.pic_balloons, sea.pic_reef, land.pic_fields,
]


def main(out_dir):
    preview_dir = os.path.join(out_dir, 'preview')
    os.makedirs(preview_dir, exist_ok=True)

    def report(name, data):
        write(os.path.join(out_dir, name), data)
        print('%-20s %7d bytes' % (name, len(data)))

    logo, mask = logo_and_mask()
    report(catalog.LOGO.file, bmp_bytes(logo))
    report(catalog.LOGO_MASK.file, bmp_bytes(mask))

    pictures = []
    for picture, painter in zip(catalog.PICTURES, PAINTERS, strict=True):
        img = quantise(painter(picture.width, picture.height, picture.ident))
        pictures.append((picture.ident, img))
        report(picture.file, bmp_bytes(img))

    image = catalog.DIALOG_IMAGE
    dialog = quantise(dialog_picture(image.width, image.height, image.ident))
    report(image.file, bmp_bytes(dialog))
    report(catalog.SOUND.file, wav_bytes(chime_samples(), WAVE_RATE))
    icon = icon_pixels()
    report(catalog.ICON.file, ico_bytes(icon, VGA16))

    write(os.path.join(preview_dir, 'contact_sheet.png'), preview_contact_sheet(pictures, dialog))
    bw, bh = logo.w + 40, logo.h + 40
    write(os.path.join(preview_dir, 'logo_over_black.png'),
          png_bytes(bw, bh, compose_logo([(0, 0, 0)] * (bw * bh), bw, bh, logo, mask, 20, 20)))
    back = dict(pictures)[125]
    write(os.path.join(preview_dir, 'logo_over_picture.png'),
          png_bytes(back.w, back.h, compose_logo(back.rgb(), back.w, back.h, logo, mask, 85, 150)))
    write(os.path.join(preview_dir, 'icon.png'), preview_icon(icon))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else
         os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, 'assets'))
