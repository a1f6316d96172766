"""The painters and file writers behind make_assets.py: one module per family of pictures."""
