#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# veloxia3dbench and vxpack in a hostile environment: data files missing, unreadable, replaced
# by a directory, empty or huge and sparse; no display; no browser; odd OEM strings; output
# paths that cannot be written; standard output on a full disk; vxpack asked to write over its
# inputs. Each case checks the exit status, the message on standard error and what is left on
# disk. The program reads its data files from its own directory, so each case runs a hard link
# (or copy) of it in a fresh directory with the crafted files beside it.
# Usage: hostile_env_test.sh CASE PROGRAM VXPACK DATADIR ASSETDIR WORKDIR   (exit 77: skipped)
set -uo pipefail
case_name=$1 program=$2 vxpack=$3 data=$4 assets=$5
work=$6/$case_name
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

fail() { echo "FAIL: $*"; [ -f err ] && { echo "--- stderr:"; cat err; }; [ -f out ] && { echo "--- stdout:"; head -c 2000 out; }; exit 1; }
skip() { echo "skipped: $*"; exit 77; }

# Runs a command with a time limit; its status in $status, its output in out and err.
run() {
  timeout 60 "$@" >out 2>err
  status=$?
  [ "$status" -ne 124 ] || fail "$* did not end within 60 s"
}
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1"; }
expect_err() { grep -Eq -- "$1" err || fail "standard error does not match '$1'"; }
expect_out() { grep -Eq -- "$1" out || fail "standard output does not match '$1'"; }
expect_out_text() { grep -aFq -- "$1" out || fail "standard output does not hold '$1'"; }
# Root reads and writes whatever the permission bits say; those cases cannot be made here.
root_skip() { [ "$(id -u)" -ne 0 ] || skip "running as root, where $1"; }

# A directory with the program and, unless told otherwise, both data files beside it.
bench=$work/bench
setup_bench() {
  mkdir -p "$bench"
  ln "$program" "$bench/veloxia3dbench" 2>/dev/null || cp "$program" "$bench/veloxia3dbench"
  [ "${1:-}" = bare ] && return
  cp "$data/veloxia3dbench1" "$data/veloxia3dbench2" "$bench/"
}
# A short deterministic run that reaches the results: about 20 frames of 50 ms.
short_run() { run env -u DISPLAY -u WAYLAND_DISPLAY "$bench/veloxia3dbench" --seconds 1 --step-ms 50 "$@"; }
# A fake browser that writes its arguments, one a line, into $work/browser.
fake_browser() {
  mkdir -p "$work/path"
  printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "%s/browser.partial" && mv "%s/browser.partial" "%s/browser"\n' \
    "$work" "$work" "$work" >"$work/path/xdg-open"
  chmod +x "$work/path/xdg-open"
}
browser_args() {
  for _ in $(seq 50); do [ -f "$work/browser" ] && break; sleep 0.1; done
  [ -f "$work/browser" ] || fail "xdg-open was not started"
  cat "$work/browser"
}
# A sparse file of 4 GiB; skipped where the file system cannot hold one.
sparse() { truncate -s 4G "$1" 2>/dev/null || skip "this file system cannot hold a sparse 4 GiB file"; }
# A small model for vxpack: one textured triangle, its material library and its texture.
model() {
  mkdir -p "$work/model"
  cp "$assets/sat.mtl" "$work/model/"
  cp "$assets"/*.png "$work/model/"
  cp "$assets/sat.obj" "$work/model/"
}
same_bytes() { cmp -s "$1" "$2" || fail "$1 was changed"; }

case $case_name in
  data_option)
    # --data reads the files from another folder (none beside the program) and names them.
    setup_bench bare
    mkdir -p "$work/other"
    cp "$data/veloxia3dbench1" "$data/veloxia3dbench2" "$work/other/"
    short_run --data "$work/other"
    expect_status 0
    expect_err "^veloxia3dbench: data files .*/other/veloxia3dbench1 and .*/other/veloxia3dbench2$"
    expect_out "^Average FPS: "
    short_run --data "$work/none"
    expect_status 1
    expect_err "cannot load the scene file .*/none/veloxia3dbench1: the file cannot be found" ;;
  missing_data)
    setup_bench bare
    short_run
    expect_status 1
    expect_err "^veloxia3dbench: cannot load the scene file .*/bench/veloxia3dbench1: the file cannot be found \(No such file"
    cp "$data/veloxia3dbench1" "$bench/"
    short_run
    expect_status 1
    expect_err "cannot load the texture file .*/veloxia3dbench2: the file cannot be found" ;;
  unreadable_data)
    setup_bench
    chmod 000 "$bench/veloxia3dbench2"
    cat "$bench/veloxia3dbench2" >/dev/null 2>&1 && skip "a file of mode 000 can still be read (root)"
    short_run
    expect_status 1
    expect_err "cannot load the texture file .*/veloxia3dbench2: the file cannot be opened for reading \(Permission denied\)" ;;
  directory_as_data)
    setup_bench bare
    mkdir "$bench/veloxia3dbench1"
    cp "$data/veloxia3dbench2" "$bench/"
    short_run
    expect_status 1
    expect_err "cannot load the scene file .*/veloxia3dbench1: this is not a regular file" ;;
  empty_data)
    setup_bench
    : >"$bench/veloxia3dbench1"
    short_run
    expect_status 1
    expect_err "cannot load the scene file .*: the file is too short"
    cp "$data/veloxia3dbench1" "$bench/"
    : >"$bench/veloxia3dbench2"
    short_run
    expect_status 1
    expect_err "cannot load the texture file .*veloxia3dbench2: .*file ends" ;;
  sparse_data)
    # Both files 4 GiB of holes; the scene file with a plausible object in front claiming
    # 100 million vertices, which the file's size would seem to hold.
    setup_bench
    sparse "$bench/veloxia3dbench1"
    sparse "$bench/veloxia3dbench2"
    start=$(date +%s)
    short_run
    expect_status 1
    expect_err "cannot load the scene file .*: the file holds 4294967296 bytes, more than the limit of"
    printf 'Sat\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$bench/veloxia3dbench1"
    head -c 24 /dev/zero >>"$bench/veloxia3dbench1"
    printf '\x00\xe1\xf5\x05\x01\x00\x00\x00' >>"$bench/veloxia3dbench1"
    truncate -s 4G "$bench/veloxia3dbench1"
    printf '\x01\x00\x00\x00' | dd of="$bench/veloxia3dbench1" bs=1 seek=4294967292 conv=notrunc status=none
    short_run
    expect_status 1
    expect_err "cannot load the scene file .*: the file holds 4294967296 bytes"
    cp "$data/veloxia3dbench1" "$bench/"
    short_run
    expect_status 1
    expect_err "cannot load the texture file .*: the file holds 4294967296 bytes"
    [ $(( $(date +%s) - start )) -le 20 ] || fail "refusing the sparse files took more than 20 s" ;;
  no_display)
    # No DISPLAY or WAYLAND_DISPLAY: headless is chosen, the run starts at once and the
    # program ends after the results instead of waiting on a title screen nobody sees.
    setup_bench
    run env -u DISPLAY -u WAYLAND_DISPLAY "$bench/veloxia3dbench" --seconds 1 --step-ms 50 --frames 5000
    expect_status 0
    expect_out "^Average FPS: [0-9]+\.[0-9]{2}$"
    expect_out "^Min FPS: 20$" ;;
  dead_display)
    # DISPLAY or WAYLAND_DISPLAY naming a display that does not answer: SDL would fall back to
    # a driver that shows nothing and the title would wait for a tap forever. The display
    # libraries keep allocations the leak checker cannot attribute (as in app_gui).
    setup_bench
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
    export VX_INSTANCE_NAME="vx-hostile-test-$$"  # a window run started elsewhere must not answer
    run env -u WAYLAND_DISPLAY DISPLAY=:8917 "$bench/veloxia3dbench" --frames 300
    expect_status 1
    expect_err "^veloxia3dbench: no display answers at DISPLAY=:8917; run with --headless"
    run env -u DISPLAY WAYLAND_DISPLAY=vx-no-such-display "$bench/veloxia3dbench" --frames 300
    expect_status 1
    expect_err "no display answers at WAYLAND_DISPLAY=vx-no-such-display" ;;
  no_browser)
    # No xdg-open anywhere on PATH: the URL is still printed and the program ends cleanly.
    setup_bench
    mkdir -p "$work/empty"
    # (The real clock: a result of the virtual clock is never sent.)
    for ending in --upload --website; do
      run env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/empty" "$bench/veloxia3dbench" --seconds 1 $ending
      expect_status 0
      expect_out "^Opening in the browser: https?://"
    done
    run env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/empty" "$bench/veloxia3dbench" --seconds 1 --step-ms 50 --upload
    expect_status 2
    expect_err "^veloxia3dbench: --upload sends a measured result" ;;
  oem_strings)
    # An OEM string that begins with '-' is only ever part of the URL's query, and the URL
    # handed to xdg-open begins with the scheme, so no launcher can take it for an option.
    setup_bench
    fake_browser
    for oem in --oem=--help "--oem -x"; do
      rm -f "$work/browser"
      # shellcheck disable=SC2086 # the second form is two words on purpose
      run env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/path:$PATH" "$bench/veloxia3dbench" --seconds 1 \
        --upload $oem
      expect_status 0
      args=$(browser_args)
      [ "$(printf '%s\n' "$args" | wc -l)" -eq 1 ] || fail "xdg-open got more than one argument: $args"
      case $args in http*://*\&dev=-*\&*) ;; *) fail "xdg-open got '$args'" ;; esac
    done
    # Long, not ASCII, not even UTF-8: cut to 127 characters, bad bytes sent as U+FFFD.
    long=$(head -c 5000 /dev/zero | tr '\0' 'x')
    short_run --json --oem "$long"
    expect_status 0
    expect_out "\"device\": ?\"x{127}\""
    short_run --json --oem "$(printf 'Caf\xc3\xa9 \xff\xfe-')"
    expect_status 0
    expect_out_text "$(printf '"device": "Caf\xc3\xa9 \xef\xbf\xbd\xef\xbf\xbd-"')"
    rm -f "$work/browser"
    run env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/path:$PATH" "$bench/veloxia3dbench" --seconds 1 \
      --upload --oem "$(printf 'Caf\xc3\xa9 \xff')"
    expect_status 0
    case $(browser_args) in *dev=Caf%C3%A9%20%EF%BF%BD\&*) ;; *) fail "dev field wrongly encoded: $(browser_args)" ;; esac ;;
  screenshot_paths)
    setup_bench
    short_run --screenshot "$work/no-such-dir/shot.png"
    expect_status 1
    expect_err "cannot save the screenshot to .*/no-such-dir/shot.png: there is no directory"
    [ ! -s out ] || fail "the run went ahead although the screenshot could not be saved"
    short_run --screenshot "$work"
    expect_status 1
    expect_err "cannot save the screenshot to .*: it is a directory"
    # A good path: the old file is replaced whole and nothing else is left in the directory.
    mkdir "$work/shots"
    echo old >"$work/shots/shot.png"
    short_run --screenshot "$work/shots/shot.png"
    expect_status 0
    [ "$(head -c 8 "$work/shots/shot.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "not a PNG"
    [ "$(ls -A "$work/shots")" = shot.png ] || fail "left behind: $(ls -A "$work/shots")" ;;
  screenshot_readonly)
    setup_bench
    mkdir "$work/shots"
    echo old >"$work/shots/shot.png"
    chmod 555 "$work/shots"
    root_skip "a read-only directory can still be written"
    short_run --screenshot "$work/shots/shot.png"
    chmod 755 "$work/shots"
    expect_status 1
    expect_err "the screenshot was not saved: cannot write .*/shots/shot.png: Permission denied"
    expect_out "^Average FPS: [0-9]+\.[0-9]{2}$"
    [ "$(cat "$work/shots/shot.png")" = old ] || fail "the old screenshot was changed"
    [ "$(ls -A "$work/shots")" = shot.png ] || fail "left behind: $(ls -A "$work/shots")" ;;
  stdout_full)
    [ -w /dev/full ] || skip "there is no /dev/full"
    setup_bench
    timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "$bench/veloxia3dbench" --seconds 1 --step-ms 50 --json >/dev/full 2>err
    status=$?
    expect_status 1
    expect_err "the results could not be written to standard output: No space left on device" ;;
  vxpack_huge_input)
    sparse "$work/huge"
    start=$(date +%s)
    run "$vxpack" info "$work/huge"
    expect_status 1
    expect_err "^vxpack: error: .*/huge holds 4294967296 bytes, more than the limit of"
    run "$vxpack" validate "$work/huge" "$data/veloxia3dbench2"
    expect_status 1
    expect_err "scene file .*/huge: the file holds 4294967296 bytes"
    mv "$work/huge" "$work/huge.obj"
    run "$vxpack" pack "$work/huge.obj" -o "$work"
    expect_status 1
    expect_err "huge.obj holds 4294967296 bytes"
    [ $(( $(date +%s) - start )) -le 20 ] || fail "refusing the sparse files took more than 20 s"
    mkdir "$work/dir"
    run "$vxpack" info "$work/dir"
    expect_status 1
    expect_err "cannot open .*/dir: not a regular file" ;;
  vxpack_inputs_kept)
    # Every way of naming an input as an output is refused before anything is written.
    model
    m=$work/model
    cp -r "$m" "$work/original"
    ln -s "$m/sat.obj" "$work/link.obj"
    for target in "$m/sat.obj" "$m/./sat.obj" "$work/original/../model/sat.obj" "$work/link.obj" "$m/sat.mtl"; do
      run "$vxpack" pack "$m/sat.obj" --scene "$target" --textures "$work/t"
      expect_status 1
      expect_err "refusing to overwrite the input .* with "
    done
    png=$(ls "$m"/*.png | head -n 1)
    run "$vxpack" pack "$m/sat.obj" --scene "$work/s" --textures "$png"
    expect_status 1
    expect_err "refusing to overwrite the input "
    run "$vxpack" pack "$m/sat.obj" --scene "$work/both" --textures "$work/./both"
    expect_status 1
    expect_err "must be different files"
    for f in "$work/original"/*; do same_bytes "$f" "$m/$(basename "$f")"; done
    [ ! -e "$work/t" ] && [ ! -e "$work/s" ] && [ ! -e "$work/both" ] || fail "an output was written"
    # A good pack leaves exactly its two files.
    mkdir "$work/o"
    run "$vxpack" pack "$m/sat.obj" -o "$work/o"
    expect_status 0
    [ "$(ls -A "$work/o" | tr '\n' ' ')" = "veloxia3dbench1 veloxia3dbench2 " ] || fail "left: $(ls -A "$work/o")" ;;
  vxpack_readonly_output)
    model
    mkdir "$work/o"
    chmod 555 "$work/o"
    root_skip "a read-only directory can still be written"
    run "$vxpack" pack "$work/model/sat.obj" -o "$work/o"
    chmod 755 "$work/o"
    expect_status 1
    expect_err "^vxpack: error: cannot write .*/o/veloxia3dbench1: Permission denied"
    [ -z "$(ls -A "$work/o")" ] || fail "left: $(ls -A "$work/o")" ;;
  *)
    echo "unknown case $case_name"; exit 2 ;;
esac
echo "ok: $case_name"
