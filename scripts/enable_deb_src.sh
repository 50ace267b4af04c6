#!/usr/bin/env bash
# Makes Debian's source packages available to apt-get source, from the same
# mirrors and suites the machine already installs binary packages from.
# Writes /etc/apt/sources.list.d/velkor-deb-src.sources once, then updates
# the package lists.
set -euo pipefail
list=/etc/apt/sources.list.d/velkor-deb-src.sources
if [[ $(id -u) -ne 0 ]]; then SUDO=sudo; else SUDO=; fi
if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  have=1
else
  have=0
fi
if [[ $have -eq 0 ]]; then
  entries=""
  # deb822 files: copy each stanza with Types: deb as deb-src.
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f $f ]] || continue
    entries+=$(awk '/^Types:/ { sub(/deb( |$)/, "deb-src ") } { print }' "$f")$'\n\n'
  done
  # One-line sources.list entries.
  if [[ -f /etc/apt/sources.list ]]; then
    while read -r line; do
      [[ $line =~ ^deb[[:space:]] ]] || continue
      entries+="# from sources.list"$'\n'
      read -r _ uri suite components <<<"$line"
      entries+="Types: deb-src"$'\n'"URIs: $uri"$'\n'"Suites: $suite"$'\n'"Components: $components"$'\n\n'
    done </etc/apt/sources.list
  fi
  [[ -n $entries ]] || { echo "enable_deb_src: no Debian mirror configured" >&2; exit 1; }
  printf '%s' "$entries" | $SUDO tee "$list" >/dev/null
  $SUDO apt-get update -qq
fi
