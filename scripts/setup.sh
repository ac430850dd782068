#!/usr/bin/env bash
# The one place that names what Vaultor needs from Debian. Installs only what
# is missing, so a second run costs nothing and needs no network.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang-format
  clang libclang-rt-14-dev     # the fuzzers (tests/fuzz): libFuzzer and the sanitizers
  gettext                      # msgfmt, xgettext: the English catalogue
  googletest libgtest-dev libgmock-dev
  libmount-dev libblkid-dev    # mount table, fstab, volume labels and UUIDs
  btrfs-progs btrfs-compsize   # compression tests on a loop-mounted btrfs image
  ntfs-3g                      # compression tests on an NTFS image
  fusefat dosfstools           # a FAT target for the copy tests
  exfat-fuse exfatprogs        # an exFAT target (exfat-fuse on a loop device) for the date tests
  attr util-linux
  strace                       # which syncs reach a FUSE target (a copy test)
  qt6-base-dev qt6-base-dev-tools  # the window (Qt 6 Widgets; moc and rcc)
  qt6-qpa-plugins libxcb-cursor0   # Qt's X11 and offscreen platforms
  libqt6svg6                       # the SVG glyphs and icon
  qt6-translations-l10n            # Qt's own buttons in Dutch or English
  fonts-dejavu-core                # a font for the window, also on a bare machine
  xvfb xdotool imagemagick x11-utils  # the window tested in a real X server, its screenshot
  dpkg-dev file                    # cpack -G DEB works out the package's dependencies
  appstream                        # appstreamcli: the metainfo test
  libsystemd-dev                   # sd-bus: desktop notifications and the sleep inhibitor
  libxxhash-dev                    # XXH3-128: the checksums a list keeps of its copies (Sums=1)
  systemd                          # systemd-analyze, systemd-escape: the schedule units and their test
  dbus-daemon python3-dbusmock     # a private bus serving Notify and Inhibit in the tests
)
# Only the benchmark (bench/run.sh, which passes --bench) measures against these.
BENCH_PACKAGES=(rsync time)
[[ "${1:-}" == "--bench" ]] && PACKAGES+=("${BENCH_PACKAGES[@]}")

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
