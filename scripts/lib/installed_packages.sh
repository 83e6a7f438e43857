# shellcheck shell=bash
# installed_packages.sh: what dpkg has installed, read from its database rather than from
# apt's messages, which are translated. Sourced.

# installed_packages: every package dpkg knows as (at least partly) installed, one
# NAME:ARCH a line, sorted.
installed_packages() {
  dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' |
    awk 'substr($1, 2, 1) != "n" { print $2 }' | LC_ALL=C sort -u
}

# packages_added BEFORE: the installed packages that the list in file BEFORE (written by
# installed_packages) does not name.
packages_added() {
  installed_packages | LC_ALL=C comm -13 "$1" -
}
