"""A NetworkManager 1.42 stand-in for tests, served through python-dbusmock.

The template networkmanager.py next to this package is the entry point; see
its header and ../README.md.
"""
