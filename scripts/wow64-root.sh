#!/usr/bin/env bash
# wow64-root.sh -- set up, once, the Debian 13 (trixie) root in which
# scripts/wine-run32.sh runs 32-bit Windows programs under Wine 10.
#
# Usage: scripts/wow64-root.sh [--path]
#   --path   print the root's folder on stdout once it is ready
#
# The root lives outside the tree, in /var/cache/stompara/trixie-root (or
# STOMPARA_WOW64_ROOT), so `rm -rf build` and fresh clones keep it. A stamp
# file written last, holding this script's recipe, marks it complete: when it
# matches, a run only reads that file. Otherwise the root is built again from
# scratch in <root>.new (debootstrap from the Debian mirror apt already uses,
# or STOMPARA_DEBIAN_MIRROR) and moved into place; output goes to <root>.log.
#
# What it holds:
#   wine64, fonts   Wine 10's 64-bit side: loader, wineserver, the x86_64 and
#                   (copied from libwine:i386) i386 PE DLLs in the folder
#                   where Wine 10's WoW64 mode looks for them
#                   (/usr/lib/x86_64-linux-gnu/wine/i386-windows)
#   GStreamer       the "good" plugins and libav, behind Wine's Media
#                   Foundation: the decoders of M4A (AAC), MP3 and the rest
#   wine32:i386     Wine's 32-bit loader, diverted to /usr/lib/wine/wine.i386
#                   and left in /usr/lib/wine/wine only as a placeholder that
#                   does not execute, so Wine runs 32-bit programs in its
#                   WoW64 mode
#   qemu-i386       (taken out of qemu-user) and /usr/lib/wine/wine-qemu-i386,
#                   which runs the 32-bit loader under it: for kernels that run
#                   no 32-bit code at all (see wine-run32.sh)
#
# Every command run inside the root runs in a mount namespace of its own, so
# the /proc and /dev mounts it needs vanish with it and never show outside.
set -euo pipefail
wowroot=${STOMPARA_WOW64_ROOT:-/var/cache/stompara/trixie-root}
stamp=$wowroot/.stompara-root
# Change this line whenever the recipe below changes: roots built by an older
# recipe are then built again.
recipe="trixie; wine64 wine32:i386 fonts; GStreamer good and libav; i386 PE DLLs for WoW64; qemu-i386 loader; 2"

ready() { [ "$(cat "$stamp" 2>/dev/null)" = "$recipe" ]; }
finish() {
  if [ "${1:-}" = --path ]; then echo "$wowroot"; fi
  exit 0
}

ready && finish "$@"

for tool in debootstrap unshare flock; do
  command -v "$tool" >/dev/null || {
    echo "wow64-root.sh: $tool is missing: run scripts/install-deps.sh" >&2
    exit 1
  }
done
mkdir -p "$(dirname "$wowroot")"
exec 9>"$wowroot.lock"
flock 9
ready && finish "$@"  # another run finished it while we waited

new=$wowroot.new
log=$wowroot.log
: >"$log"
started=$SECONDS
echo "wow64-root.sh: setting up the Debian 13 root in $wowroot (log: $log)" >&2

# The Debian mirror apt already uses.
mirror=${STOMPARA_DEBIAN_MIRROR:-}
if [ -z "$mirror" ]; then
  mirror=$(sed -n 's#^URIs:[[:space:]]*\([^[:space:]]*/debian\)/\?\([[:space:]].*\)\?$#\1#p' \
             /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
fi
if [ -z "$mirror" ]; then
  mirror=$(sed -n 's#^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]*/debian\)/\?[[:space:]].*#\2#p' \
             /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | head -1)
fi
mirror=${mirror:-http://deb.debian.org/debian}

# The command running in the root, a process group of its own so that an
# interrupted set-up ends it, by its id, with everything it started.
child=
stop_child() {
  if [ -n "$child" ]; then kill -TERM -- "-$child" 2>/dev/null || true; fi
}
trap 'stop_child; exit 130' INT TERM
trap stop_child EXIT
step() {  # description, then command; output goes to the log
  echo "== $1" >>"$log"
  shift
  setsid -w "$@" >>"$log" 2>&1 </dev/null &
  child=$!
  if ! wait "$child"; then
    child=
    echo "wow64-root.sh: failed: see $log" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
  child=
}
# Runs the command after it in the new root, with /proc and /dev mounted.
in_root=(unshare --mount --propagation private -- /bin/sh -c '
  root=$1
  shift
  mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" &&
    exec chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"' sh "$new")

rm -rf "$new" "$wowroot"
step "debootstrap trixie from $mirror" \
  unshare --mount --propagation private -- debootstrap --variant=minbase trixie "$new" "$mirror"
# No services start inside the root.
printf '#!/bin/sh\nexit 101\n' >"$new/usr/sbin/policy-rc.d"
chmod 755 "$new/usr/sbin/policy-rc.d"
step "i386 packages" "${in_root[@]}" dpkg --add-architecture i386
step "apt-get update" "${in_root[@]}" apt-get update
x11_libs=(libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxfixes3 libxinerama1 libxxf86vm1)
step "install Wine 10" "${in_root[@]}" apt-get install -y --no-install-recommends \
  wine64 wine32:i386 fonts-wine fonts-liberation "${x11_libs[@]}" "${x11_libs[@]/%/:i386}"
# Media Foundation's decoders under Wine are GStreamer's; WoW64 runs them on
# the 64-bit side.
step "install GStreamer's decoders" "${in_root[@]}" apt-get install -y --no-install-recommends \
  gstreamer1.0-plugins-good gstreamer1.0-libav

# Wine 10's WoW64 mode takes the i386 PE DLLs from next to the x86_64 ones;
# hard links cost no space.
step "i386 PE DLLs for WoW64" \
  cp -alf "$new/usr/lib/i386-linux-gnu/wine/i386-windows/." "$new/usr/lib/x86_64-linux-gnu/wine/i386-windows/"

# The 32-bit loader moves aside. What stays in its place does not execute:
# the 64-bit loader then runs 32-bit programs itself, in WoW64 mode.
step "divert the 32-bit loader" "${in_root[@]}" dpkg-divert --local --rename \
  --divert /usr/lib/wine/wine.i386 --add /usr/lib/wine/wine
printf '# Not a program: wine-run32.sh mounts wine-qemu-i386 here when it is needed.\n' \
  >"$new/usr/lib/wine/wine"
chmod 644 "$new/usr/lib/wine/wine"

# qemu-i386 alone, out of qemu-user (the rest of it is 450 MB of other CPUs).
step "qemu-i386" "${in_root[@]}" /bin/sh -c '
  cd /tmp && apt-get download qemu-user &&
  dpkg-deb --fsys-tarfile qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >/usr/local/bin/qemu-i386 &&
  chmod 755 /usr/local/bin/qemu-i386 && rm -f qemu-user_*.deb && /usr/local/bin/qemu-i386 --version'
cat >"$new/usr/lib/wine/wine-qemu-i386" <<'EOF'
#!/bin/sh
# Wine's 32-bit loader under qemu-i386, for kernels that run no 32-bit code.
# It believes it is /usr/lib/wine/wine, where this script is mounted, so the
# 32-bit programs it starts come here too.
exec /usr/local/bin/qemu-i386 -0 /usr/lib/wine/wine /usr/lib/wine/wine.i386 "$@"
EOF
chmod 755 "$new/usr/lib/wine/wine-qemu-i386"

step "clean apt's caches" "${in_root[@]}" apt-get clean
rm -rf "$new/var/lib/apt/lists/"* "$new/tmp/"*
mv "$new" "$wowroot"
echo "$recipe" >"$stamp"
echo "wow64-root.sh: root ready in $((SECONDS - started)) s ($(du -sh "$wowroot" | cut -f1))" | tee -a "$log" >&2
finish "$@"
