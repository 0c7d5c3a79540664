#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses the suite from there as a user would: the
# launcher, the settings tool, the engines, the example box and the dictionary viewer from the
# installed machine data, the toolbox and the editor as real windows (the editor translates and
# saves a file); then the desktop integration; then removal, which must leave nothing behind. A staged (DESTDIR) install must
# name the final prefix in its machine data.
# Usage: install_test.sh BUILD_DIR FIXTURE_CATALOG
set -euo pipefail
build=$1
catalog=$2
scratch=$(mktemp -d /tmp/yv5install-XXXXXX)
cleanup() {
    [ -n "${toolbox:-}" ] && kill "$toolbox" 2>/dev/null || true
    [ -n "${editor:-}" ] && kill "$editor" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log"; fail "cmake --install"; }
programs=$prefix/lib/yorvane5/bin
for f in bin/yorvane5 lib/yorvane5/bin/tooldeck lib/yorvane5/bin/trans lib/yorvane5/bin/ejquarto \
         lib/yorvane5/bin/libEtc.so lib/yorvane5/machine/machine.hive lib/yorvane5/machine/profile/EJRELAY.INI \
         lib/yorvane5/machine/例文/Search.idx lib/yorvane5/machine/engine/ej/ejudic.dic \
         lib/yorvane5/help/html/index.htm share/man/man1/yorvane5.1.gz share/doc/yorvane5/copyright; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
# The installed programs must not need the build tree.
if ldd "$programs/trans" | grep -q "$build"; then fail "trans links into the build tree"; fi

# A user of the installation: own settings and bus names, the installation's machine data.
export YORVANE_HOME=$scratch/home
export YORVANE_MACHINE_DIR=$prefix/lib/yorvane5/machine
export YORVANE_PROFILE_DIR=$prefix/lib/yorvane5/machine/profile
# What the engines derive from EDICT is shared with the build's tests (minutes under ASan).
export YORVANE_CACHE_DIR=$build/engine-cache
mkdir -p "$YORVANE_HOME"
yv=$prefix/bin/yorvane5

"$yv" --reg query 'HKLM\Software\Orvikan\Yorvane5\1.00.000' /v Path | grep -qF "$programs" \
    || fail "the machine hive does not name the installed program directory"
grep -q "^KEJ=$prefix/lib/yorvane5/machine/engine/ej" "$YORVANE_PROFILE_DIR/EJRELAY.INI" \
    || fail "EJRELAY.INI does not name the installed engine directory"
printf 'I read a book.\n' > "$scratch/book.txt"
"$programs/ejquarto" --translate "$scratch/book.txt" | grep -q "本" || fail "the installed engine does not translate"
"$yv" --sample --search meeting --data "$YORVANE_MACHINE_DIR/例文" | tail -1 | grep -Eq '^\[[1-9][0-9]*\]文' \
    || fail "the example box finds nothing in the installed example data"
"$yv" --lexdisc --catalog "$catalog" --search がっこう | grep -q "学校" || fail "lexdisc from the installation finds nothing"

# The toolbox and the editor come up as windows of their own.
if [ -n "${DISPLAY:-}" ]; then
    "$yv" >"$scratch/toolbox.log" 2>&1 &
    toolbox=$!
    xdotool search --sync --limit 1 --classname tooldeck >/dev/null 2>&1 &
    wait_pid=$!
    for _ in $(seq 1 200); do kill -0 "$wait_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$wait_pid" 2>/dev/null && { kill "$wait_pid"; cat "$scratch/toolbox.log"; fail "no toolbox window"; }
    kill -0 "$toolbox" || fail "the toolbox ended"
    "$yv" "$scratch/book.txt" >"$scratch/editor.log" 2>&1 &
    editor=$!
    window=""
    for _ in $(seq 1 200); do
        window=$(xdotool search --name '^book' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { cat "$scratch/editor.log"; fail "the editor did not open book.txt"; }
    # Translate (Ctrl+T), then save as the proposed book.tts until the saved document holds
    # the translation: 本 is 96 7B in the document's Shift_JIS.
    xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers ctrl+t
    translated=""
    for _ in $(seq 1 60); do
        sleep 1
        xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
        xdotool key --clearmodifiers ctrl+s
        sleep 0.5
        [ -e "$scratch/book.tts" ] || xdotool key Return
        sleep 0.5
        if [ -e "$scratch/book.tts" ] && od -An -tx1 "$scratch/book.tts" | tr -d ' \n' | grep -q '967b'; then
            translated=yes
            break
        fi
    done
    [ -n "$translated" ] || { cat "$scratch/editor.log"; fail "the installed editor did not translate and save book.txt"; }
    kill "$editor" "$toolbox" 2>/dev/null || true
    wait "$editor" "$toolbox" 2>/dev/null || true
    editor="" toolbox=""
fi

# Desktop integration: valid entries, and .tts files open in the editor.
desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop-file-validate"
export XDG_DATA_HOME=$prefix/share XDG_DATA_DIRS=$prefix/share:/usr/share XDG_CONFIG_HOME=$scratch/config
update-mime-database "$prefix/share/mime" >/dev/null
update-desktop-database "$prefix/share/applications"
touch "$scratch/doc.tts"
[ "$(xdg-mime query filetype "$scratch/doc.tts")" = "application/x-yorvane5-tts" ] || fail "the .tts type is not known"
[ "$(xdg-mime query default application/x-yorvane5-tts)" = "yorvane5-editor.desktop" ] || fail "the editor is not the .tts default"
rm -rf "$prefix/share/mime"/{application,aliases,generic-icons,globs,globs2,icons,magic,mime.cache,subclasses,treemagic,types,version,XMLnamespaces} \
       "$prefix/share/applications/mimeinfo.cache"

# Removal leaves nothing behind.
cmake --build "$build" --target uninstall >"$scratch/uninstall.log" 2>&1 || { cat "$scratch/uninstall.log"; fail "uninstall"; }
left=$(find "$prefix" -mindepth 1 ! -type d)
[ -z "$left" ] || fail "left after removal: $left"
[ ! -e "$prefix/lib/yorvane5" ] || fail "the program tree is left after removal"

# A staged installation names its final prefix.
DESTDIR=$scratch/stage cmake --install "$build" --prefix /opt/yorvane5 >"$scratch/stage.log" 2>&1 \
    || { tail -n 20 "$scratch/stage.log"; fail "staged install"; }
grep -q '^KEJ=/opt/yorvane5/lib/yorvane5/machine/engine/ej' "$scratch/stage/opt/yorvane5/lib/yorvane5/machine/profile/EJRELAY.INI" \
    || fail "the staged profile file names the staging root"
YORVANE_MACHINE_DIR=$scratch/stage/opt/yorvane5/lib/yorvane5/machine \
    "$scratch/stage/opt/yorvane5/bin/yorvane5" --reg query 'HKLM\Software\Orvikan\Yorvane5\1.00.000' /v Path \
    | grep -qF "/opt/yorvane5/lib/yorvane5/bin" || fail "the staged hive names the staging root"
# The build's manifest now describes the staged install; the scratch folder goes with it.
echo "installed, used, integrated and removed cleanly"
