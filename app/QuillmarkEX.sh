path=
# QuillmarkEX.sh: runs the resource compiler for Quillmark's Save & Compile.
#
# The first line belongs to Quillmark: it sets the compiler folder and is
# rewritten whenever that folder changes in the options. Every other line
# belongs to this file, and the program never touches it. Quillmark runs
#
#     /bin/sh QuillmarkEX.sh LOGDIR WORD... SCRIPTNAME
#
# in the folder of the script. WORD... SCRIPTNAME is run with the compiler
# folder first on the search path, and everything it prints goes to
# LOGDIR/Quillmark.log (LOGDIR ends in a slash): the program's folder, or
# for an installed copy the user's ~/.local/state/quillmark/.
#
# Quillmark shows the log only once the run is over, which it tells by being
# able to lock the log. So the log is created under a temporary name, locked,
# and only then moved into place: it is never seen unlocked before the last
# process that holds it ends. Without flock(1) it is moved into place at the
# end instead. The log's last line gives the compiler's exit status,
# "[quillmark exit status N]", which Quillmark shows as its verdict; the
# script exits with that status too.

if [ -n "$path" ]; then
    PATH=$path:$PATH
    export PATH
fi

log=${1}Quillmark.log
shift
part=$log.$$
exec 9>"$part" || exit 1

placed=
if command -v flock >/dev/null 2>&1 && flock -x 9; then
    mv -f -- "$part" "$log" && placed=1
fi
"$@" >&9 2>&9
status=$?
printf '[quillmark exit status %d]\n' "$status" >&9
[ -n "$placed" ] || mv -f -- "$part" "$log"
exit $status
