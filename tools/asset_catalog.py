"""What VARNO.scr carries as resources, and the files in assets/ they come from.

The generator (make_assets.py) draws the images to these sizes and names; the
check (check_release.py) holds the built executable to them. The identifiers are
written out as numbers, not read from resource_ids.h, which is what the check tests:
assets/README.md, "Resource numbers".
"""
from collections import namedtuple

Bitmap = namedtuple("Bitmap", "ident file width height")
Sound = namedtuple("Sound", "ident type file")
Icon = namedtuple("Icon", "group image file")

LANGUAGE = 1031  # German (Germany), on every resource

LOGO = Bitmap(104, "logo.bmp", 230, 110)
LOGO_MASK = Bitmap(130, "logo_mask.bmp", 230, 110)  # the logo is drawn (dest AND mask) OR logo
DIALOG_IMAGE = Bitmap(132, "dialog_image.bmp", 100, 66)

# Rows 0 to 23 of the scene's picture table, in that order; there is no 113.
PICTURES = [Bitmap(ident, "picture_%d.bmp" % ident, width, height) for ident, width, height in [
    (105, 250, 148), (106, 250, 140), (107, 250, 210), (108, 300, 199), (109, 250, 152),
    (110, 250, 188), (111, 250, 160), (112, 250, 168), (114, 250, 140), (115, 250, 168),
    (116, 250, 148), (117, 332, 282), (118, 250, 139), (119, 250, 151), (120, 250, 165),
    (121, 250, 172), (122, 250, 171), (123, 250, 170), (124, 250, 190), (125, 400, 358),
    (126, 250, 171), (127, 240, 366), (128, 300, 204), (150, 340, 241)]]

BITMAPS = [LOGO, LOGO_MASK] + PICTURES + [DIALOG_IMAGE]

SOUND = Sound(137, "WAVE", "chime.wav")  # a resource type named by a string

# The window class asks for icon 100, and the shell shows the first icon group:
# one group, 100, whose one 32 x 32 image is icon 1.
ICON = Icon(100, 1, "varno.ico")

# The settings dialog's caption: the check holds dialog 2003 to it, the Wine tests and the
# screenshots find the dialog by it.
DIALOG_TITLE = "Hi There !"
