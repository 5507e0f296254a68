# Sourced by every script that runs Wine or starts what does. Wine maps Windows names to Unix file names
# through the Unix locale: under C/POSIX (a fresh Debian has no LANG at all) a name outside ASCII can be
# neither created nor found, and arguments outside ASCII arrive as "?". C.UTF-8 is always there.
if [ "$(locale charmap 2>/dev/null)" != "UTF-8" ]; then
  export LC_ALL=C.UTF-8
fi
