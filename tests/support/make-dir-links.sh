#!/usr/bin/env bash
# make-dir-links.sh <dir>: a fresh tree of folder links for deletion tests.
# Wine shows a host symbolic link to a folder as a reparse point (what a
# junction is on Windows); it cannot make junctions itself.
#   outside/keep.txt, outside/sub/deep.txt   the folder the links lead to
#   top -> outside                           a link at the folder to delete
#   tree/own.txt, tree/res/link -> outside   a link below it
set -eu
dir=$1
rm -rf "$dir"
mkdir -p "$dir/outside/sub" "$dir/tree/res"
echo k >"$dir/outside/keep.txt"
echo d >"$dir/outside/sub/deep.txt"
echo o >"$dir/tree/own.txt"
ln -s outside "$dir/top"
ln -s ../../outside "$dir/tree/res/link"
