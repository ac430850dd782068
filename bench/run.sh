#!/usr/bin/env bash
# The benchmark: whole vaultor-cli runs against rsync, cp, cmp and du, side by
# side on one generated tree, then the file services against cp, cmp and stat.
#
#   bench/run.sh [--files N] [--small] [--no-micro] [--cold] [--target tmpfs|ntfs|exfat|btrfs]
#
# --small makes every file 512 bytes to 2 KiB, for runs of a million files.
# --target puts the targets on an ntfs-3g or exfat-fuse (FUSE) or btrfs image
# on a loop device instead of tmpfs: what a sync on such drives costs.
# --cold drops the page cache (as root) before each timed run instead of
# warming the source.
#
# The source lies on the disk under build/bench (its page cache warmed first),
# every target on one tmpfs, so the figures compare the programs and not the
# disk's write-back. Prints seconds, ratios and vaultor's peak memory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
files=50000
micro=1
sizes=""
kind=tmpfs
cold=0
while (($#)); do
  case "$1" in
    --files) files="$2"; shift 2 ;;
    --small) sizes=small; shift ;;
    --no-micro) micro=0; shift ;;
    --target) kind="$2"; shift 2 ;;
    --cold) cold=1; shift ;;
    *) echo "bench/run.sh [--files N] [--small] [--no-micro] [--cold] [--target tmpfs|ntfs|exfat|btrfs]" >&2; exit 2 ;;
  esac
done

bash "$root/scripts/setup.sh" --bench
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target vaultor-cli vaultor_bench vaultor_make_tree >/dev/null

work="$root/build/bench"
targets=/tmp/vaultor-bench-targets
image=/var/tmp/vaultor-bench-target.img
loop=""
cleanup() {
  umount "$targets" 2>/dev/null || true
  [[ -n "$loop" ]] && losetup -d "$loop" 2>/dev/null
  rm -f "$image"
}
trap cleanup EXIT
rm -rf "$work"
mkdir -p "$work/src" "$work/home" "$targets"
"$root/build/vaultor_make_tree" "$work/src" "$files" $sizes
tree_kib=$(du -sk "$work/src" | cut -f1)
mountpoint -q "$targets" && umount "$targets"
case "$kind" in
  tmpfs) mount -t tmpfs -o size=$((tree_kib * 3 + 262144))k tmpfs "$targets" ;;
  ntfs | exfat | btrfs)
    truncate -s $((tree_kib * 4 + 524288))k "$image"
    case "$kind" in
      ntfs) mkfs.ntfs -Q -F "$image" >/dev/null 2>&1 ;;
      exfat) mkfs.exfat "$image" >/dev/null ;;
      btrfs) mkfs.btrfs -q "$image" ;;
    esac
    loop=$(losetup -f --show "$image")
    case "$kind" in
      ntfs) ntfs-3g "$loop" "$targets" ;;
      exfat) mount.exfat-fuse "$loop" "$targets" ;;
      btrfs) mount "$loop" "$targets" ;;
    esac ;;
  *) echo "bench/run.sh: --target tmpfs, ntfs, exfat or btrfs" >&2; exit 2 ;;
esac
mkdir -p "$targets/vaultor" "$targets/rsync" "$targets/cp"
printf '[Translation]\r\n1=\r\n' > "$work/home/Vaultor.ini"

cli=("$root/build/vaultor-cli" --program-dir "$work/home" --drive "S=$work/src" --drive "E=$targets/vaultor")
"${cli[@]}" --yes new Bench 'S:\' >/dev/null
"${cli[@]}" target Bench E >/dev/null

# Seconds and peak KiB of one command, its output thrown away.
measure() {
  /usr/bin/time -o "$work/time" -f '%e %M' "$@" >/dev/null 2>&1 || true
  tail -1 "$work/time"
}
warm() {
  if ((cold)); then
    sync
    echo 3 >/proc/sys/vm/drop_caches
  else
    tar -cf - -C "$work/src" . >/dev/null
  fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
row() {  # what, vaultor seconds, reference name, reference seconds
  printf '%-34s vaultor %7.2f s   %-10s %7.2f s   ratio %s\n' "$1" "$2" "$3" "$4" "$(ratio "$2" "$4")"
}

# The best of three: what the machine did besides is left out as far as can be.
rounds=3
best() {  # best SECONDS-KIB-LINE...
  sort -n | head -1
}
# A full backup each round into an emptied target.
full() {  # target folder, command...
  local target="$1"; shift
  for ((r = 0; r < rounds; ++r)); do
    find "$target" -mindepth 1 -delete
    warm
    measure "$@"
  done | best
}
again() {  # command... (the target stays as it is)
  for ((r = 0; r < rounds; ++r)); do
    if ((cold)); then warm; fi
    measure "$@"
  done | best
}

echo "tree: $files files, $((tree_kib / 1024)) MiB; targets on $kind; $( ((cold)) && echo cold || echo warm) cache; best of $rounds"
read -r v_full v_mem < <(full "$targets/vaultor" "${cli[@]}" --yes start Bench)
read -r r_full _ < <(full "$targets/rsync" rsync -a "$work/src/" "$targets/rsync/")
read -r c_full _ < <(full "$targets/cp" cp -a "$work/src/." "$targets/cp/")
rm -rf "$targets/cp"
row "first full backup" "$v_full" "rsync -a" "$r_full"
row "first full backup" "$v_full" "cp -a" "$c_full"

warm
read -r v_test _ < <(again "${cli[@]}" test Bench)
read -r r_test _ < <(again rsync -an "$work/src/" "$targets/rsync/")
row "verify, nothing changed" "$v_test" "rsync -an" "$r_test"

# The content check reads every byte of both sides; cmp -s does the same,
# one program per file, over the same tree and copy.
read -r v_content _ < <(again "${cli[@]}" test Bench --content)
cmp_tree='cd "$1" && find . -type f -print0 | xargs -0 -I{} cmp -s {} "$2/{}"'
read -r c_content _ < <(again bash -c "$cmp_tree" cmp "$work/src" "$targets/vaultor/Vaultor_Drive S")
row "content check (test --content)" "$v_content" "cmp -s" "$c_content"

read -r v_same _ < <(again "${cli[@]}" --yes start Bench)
read -r r_same _ < <(again rsync -a "$work/src/" "$targets/rsync/")
row "Start, nothing changed" "$v_same" "rsync -a" "$r_same"

# Each round changes one file in a hundred anew, for both programs.
incremental() {  # command...
  for ((r = 0; r < rounds; ++r)); do
    "$root/build/vaultor_make_tree" "$work/src" "$files" change $sizes
    sleep 2  # a newer time in the two-second steps the comparison goes by
    if ((cold)); then warm; fi
    measure "$@"
  done | best
}
read -r v_inc _ < <(incremental "${cli[@]}" --yes start Bench)
read -r r_inc _ < <(incremental rsync -a "$work/src/" "$targets/rsync/")
row "Start after 1% changed" "$v_inc" "rsync -a" "$r_inc"

read -r v_tot _ < <(again "${cli[@]}" totals Bench)
read -r d_tot _ < <(again du -sb "$work/src")
row "totals" "$v_tot" "du -sb" "$d_tot"

read -r _ base_mem < <(measure "${cli[@]}" show Bench)
echo "peak memory of the full backup: $v_mem KiB; beyond the $base_mem KiB of showing the list:" \
  "$(awk -v m="$v_mem" -v b="$base_mem" -v f="$files" 'BEGIN { printf "%.0f", (m - b) * 1024 / f }') bytes per file"
# rsync's rounds changed the source after vaultor's last: one Start, then the test.
"${cli[@]}" --yes start Bench >/dev/null || true
if "${cli[@]}" test Bench >/dev/null; then
  echo "the copy checks out: Test - Verifieer finds no difference"
else
  echo "Test - Verifieer found differences between the source and the copy"
fi

rm -rf "$work"
if ((micro)); then
  echo
  echo "file services:"
  "$root/build/vaultor_bench" /tmp/vaultor-bench
fi
