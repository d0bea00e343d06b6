#!/usr/bin/env bash
# A private CUPS for the print tests: its own cupsd (in the foreground, in the background of this shell's caller),
# configuration, spool and cups-pdf output under build/cups, a cups-pdf queue "ORBENPDF" as its default. The system's
# CUPS set-up is never read or written: cupsd listens only on a socket of its own, and cups-pdf (which reads its
# settings from /etc/cups) sees a private /etc/cups through a mount namespace of its own.
#
# Usage: tools/cups.sh start   starts it (prints nothing on success); exit 1 with the reason on stdout when it cannot
#        tools/cups.sh stop    stops the cupsd that start left, by its process id
# Clients reach it with CUPS_SERVER=<build>/cups/cups.sock (tools/cups.sh env prints that assignment).
set -uo pipefail
cd "$(dirname "$0")/.."
DIR=${ORBEN_CUPS_DIR:-$(pwd)/build/cups}
SOCK=$DIR/cups.sock
QUEUE=ORBENPDF
export CUPS_SERVER=$SOCK

fail() {
  echo "$*"
  exit 1
}

stop() {
  [ -f "$DIR/cupsd.pid" ] || return 0
  local pid
  pid=$(cat "$DIR/cupsd.pid")
  rm -f "$DIR/cupsd.pid"
  # Only the cupsd this script started, and only while it still is one.
  if [ -n "$pid" ] && [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = cupsd ]; then
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$SOCK"
}

start() {
  for tool in cupsd lpadmin lpstat unshare mount; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "/usr/sbin/$tool" ] || fail "no $tool"
  done
  [ -x /usr/lib/cups/backend/cups-pdf ] || fail "no cups-pdf backend"
  local ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
  [ -f "$ppd" ] || fail "no cups-pdf PPD"
  [ "$(id -u)" = 0 ] || fail "cupsd and cups-pdf need root"
  stop
  rm -rf "$DIR"
  mkdir -p "$DIR"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log,pdf,pdf-spool}
  # cupsd's filters run as lp: they must reach the spool.
  chmod 755 "$DIR" "$DIR"/pdf
  cat >"$DIR/etc/cupsd.conf" <<EOF
LogLevel warn
Listen $SOCK
Browsing Off
WebInterface No
DefaultAuthType None
MaxJobs 50
PreserveJobHistory No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
EOF
  cat >"$DIR/etc/cups-files.conf" <<EOF
SystemGroup root
ServerRoot $DIR/etc
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
FileDevice No
EOF
  cat >"$DIR/etc/cups-pdf.conf" <<EOF
Out $DIR/pdf
AnonDirName $DIR/pdf
Spool $DIR/pdf-spool
Log $DIR/log
Grp root
LogType 1
EOF
  # The foreground cupsd is this script's child, detached so it outlives the script; the mount namespace gives it
  # (and the cups-pdf it starts) the private /etc/cups. unshare execs, so the pid is cupsd's.
  setsid unshare -m --propagation private sh -c \
    'mount --bind "$1" /etc/cups && exec cupsd -f -c "$1/cupsd.conf" -s "$1/cups-files.conf"' \
    cupsd "$DIR/etc" >"$DIR/log/cupsd.out" 2>&1 </dev/null &
  echo $! >"$DIR/cupsd.pid"
  local up=0
  for _ in $(seq 100); do
    # lpstat -r succeeds either way; its (untranslated) words tell.
    if [ -S "$SOCK" ] && LC_ALL=C lpstat -r 2>/dev/null | grep -q "scheduler is running"; then up=1; break; fi
    kill -0 "$(cat "$DIR/cupsd.pid")" 2>/dev/null || break
    sleep 0.1
  done
  if [ $up = 0 ]; then
    local why
    why=$(tail -n 3 "$DIR/log/cupsd.out" "$DIR/log/error_log" 2>/dev/null | tr '\n' ' ')
    stop
    fail "cupsd did not start: $why"
  fi
  local why
  why=$(lpadmin -p "$QUEUE" -v cups-pdf:/ -E -P "$ppd" 2>&1) || { stop; fail "lpadmin could not add the queue: $why"; }
  why=$(lpadmin -d "$QUEUE" 2>&1) || { stop; fail "lpadmin could not make the queue the default: $why"; }
}

case ${1:-} in
start) start ;;
stop) stop ;;
env) echo "CUPS_SERVER=$SOCK" ;;
*) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
