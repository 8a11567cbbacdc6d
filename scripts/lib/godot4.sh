#!/usr/bin/env bash
# Installs Debian testing's `godot` package (Godot 4) into a private folder, leaving the system's
# packages alone, and prints the path of a program that runs it with its own libraries. Kept in
# ${XDG_CACHE_HOME:-$HOME/.cache}/quillfire-tests/godot4 between runs, rebuilt when it no longer
# starts; remove that folder to take a newer engine.
set -euo pipefail

cache=${XDG_CACHE_HOME:-$HOME/.cache}/quillfire-tests/godot4
program=$cache/godot
mkdir -p "$cache"
# Several clones of the project may share one cache: one installs, the others wait.
exec 9>"$cache/.lock"
flock 9

works() { [ -x "$program" ] && "$program" --version 2>/dev/null | grep -q '^4\.'; }
if works; then
  echo "$program"
  exit 0
fi

# The Debian server the system's own apt uses (never the security one).
mirror=$(
  {
    sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null
    sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]\+\).*/\2/p' \
      /etc/apt/sources.list 2>/dev/null
  } | tr ' ' '\n' | grep -v -- '-security' | grep . | head -n 1
) || true
if [ -z "$mirror" ]; then
  echo "godot4.sh: found no Debian server in the system's apt sources" >&2
  exit 1
fi
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

work=$cache/work
rm -rf "$work" "$cache/root" "$program"
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts" "$work/prefs"
: >"$work/status"
apt=(apt-get -q -o "Dir::State::status=$work/status" -o "Dir::State::Lists=$work/lists"
  -o "Dir::Cache=$work/cache" -o "Dir::Etc::SourceList=$work/sources.list"
  -o "Dir::Etc::SourceParts=$work/parts" -o "Dir::Etc::Preferences=$work/prefs/none"
  -o "Dir::Etc::PreferencesParts=$work/prefs")
# The cache lies in a home folder that apt's own download user cannot enter.
[ "$(id -u)" -ne 0 ] || apt+=(-o APT::Sandbox::User=root)
fetched=""
for suite in testing sid; do
  echo "deb [signed-by=$keyring] $mirror $suite main" >"$work/sources.list"
  if ! "${apt[@]}" update >"$work/update.log" 2>&1; then
    cat "$work/update.log" >&2
    # Testing is signed with the keys of the coming release: the system's keyring package gets
    # them in its stable updates. Verification stays on.
    if grep -q 'NO_PUBKEY\|not signed\|signature' "$work/update.log"; then
      echo "godot4.sh: $keyring cannot verify Debian $suite; update the keyring first:" \
        "apt-get install debian-archive-keyring" >&2
      exit 1
    fi
    continue
  fi
  if "${apt[@]}" install -y -qq --no-install-recommends --download-only godot >&2; then
    fetched=$suite
    break
  fi
done
if [ -z "$fetched" ]; then
  echo "godot4.sh: Debian testing and sid offer no installable godot package" >&2
  exit 1
fi

mkdir -p "$work/root"
for deb in "$work"/cache/archives/*.deb; do
  dpkg-deb -x "$deb" "$work/root"
done
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
loader=$(cd "$work/root/usr/lib/$multiarch" && ls ld-linux*.so.* | head -n 1)
mv "$work/root" "$cache/root"
rm -rf "$work"

lib=$cache/root/usr/lib/$multiarch
# The engine's own loader and libraries first: testing's are newer than the system's. The
# system's folder comes last for the graphics libraries the engine opens itself.
cat >"$program.new" <<EOF
#!/bin/sh
# Debian $fetched's Godot 4, installed by scripts/lib/godot4.sh.
lib=$lib
exec "\$lib/$loader" --library-path "\$lib:\$lib/pulseaudio:/usr/lib/$multiarch" \\
  $cache/root/usr/bin/godot "\$@"
EOF
chmod 755 "$program.new"
mv "$program.new" "$program"
if ! works; then
  echo "godot4.sh: the installed engine does not start:" >&2
  "$program" --version >&2 || true
  exit 1
fi
echo "Installed Godot $("$program" --version) from Debian $fetched" >&2
echo "$program"
