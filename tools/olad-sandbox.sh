#!/usr/bin/env bash
# Runs a command next to a private olad: a network namespace holding only loopback, an olad
# with nothing but its Dummy plugin whose output port is patched to universe 1. No DMX
# frame or discovery packet can leave the machine.
#
#   olad-sandbox.sh run CMD [ARGS...]   as root: set up, run CMD inside the namespace, tear down
#   olad-sandbox.sh stop | start        from inside CMD: stop or (re)start that olad
#
# CMD sees OLAD_SANDBOX (the sandbox directory) and OLAD_SANDBOX_CTL (this script).
set -euo pipefail

plugins_off=(artnet e131 espnet ftdidmx gpio karate kinet milinst opendmx openpixelcontrol
    osc pathport renard sandnet shownet spi stageprofi uartdmx usbdmx usbserial)

sandbox=
command_pid=

die() {
    echo "olad-sandbox: $*" >&2
    exit 1
}

sandbox_dir() {
    [ -n "${OLAD_SANDBOX:-}" ] && [ -d "$OLAD_SANDBOX" ] || die "OLAD_SANDBOX is not set; use 'run' first"
    echo "$OLAD_SANDBOX"
}

in_ns() {
    nsenter -t "$(cat "$1/ns.pid")" -n "${@:2}"
}

olad_alive() {
    local pid
    pid=$(cat "$1/olad.pid" 2>/dev/null) || return 1
    # Before its exec the process is still nsenter or setpriv.
    case "$(cat /proc/"$pid"/comm 2>/dev/null)" in
    olad | nsenter | setpriv) return 0 ;;
    *) return 1 ;;
    esac
}

write_config() {
    local dir=$1/config p
    mkdir -p "$dir"
    for p in "${plugins_off[@]}"; do
        echo "enabled = false" >"$dir/ola-$p.conf"
    done
    echo "enabled = true" >"$dir/ola-dummy.conf"
    # Dummy device 1, output port 0, patched to universe 1.
    echo "1-1-O-0 = 1" >"$dir/ola-port.conf"
    chown -R olad:nogroup "$dir"
}

start_olad() {
    local dir=$1 pid i tie=()
    olad_alive "$dir" && die "olad is already running"
    # Started by 'run', olad dies with this script however it ends. Started by 'start' from
    # inside CMD, whose shell exits at once, it has no parent to die with: 'run''s trap stops
    # it, and tools/run-tests.sh finds it should 'run' itself be killed.
    [ "$mode" = run ] && tie=(--pdeathsig KILL)
    # olad refuses root; nsenter and setpriv exec, so $! is olad itself.
    nsenter -t "$(cat "$dir/ns.pid")" -n setpriv "${tie[@]}" --reuid=olad --regid=nogroup \
        --clear-groups olad --config-dir "$dir/config" --no-http --no-register-with-dns-sd -l 2 \
        >>"$dir/olad.log" 2>&1 </dev/null &
    pid=$!
    echo "$pid" >"$dir/olad.pid"
    for i in $(seq 100); do
        if in_ns "$dir" bash -c 'exec 3<>/dev/tcp/127.0.0.1/9010' 2>/dev/null; then
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || { cat "$dir/olad.log" >&2; die "olad exited at start"; }
        sleep 0.1
    done
    cat "$dir/olad.log" >&2
    die "olad did not accept connections on 127.0.0.1:9010 within 10 s"
}

stop_olad() {
    local dir=$1 pid i
    olad_alive "$dir" || return 0
    pid=$(cat "$dir/olad.pid")
    kill "$pid" 2>/dev/null || true
    for i in $(seq 50); do
        olad_alive "$dir" || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    while olad_alive "$dir"; do sleep 0.05; done
}

cleanup() {
    local rc=$? dir=$sandbox
    if [ -n "$command_pid" ]; then
        kill "$command_pid" 2>/dev/null || true
        wait "$command_pid" 2>/dev/null || true
    fi
    stop_olad "$dir"
    if [ -f "$dir/ns.pid" ]; then
        kill "$(cat "$dir/ns.pid")" 2>/dev/null || true
        wait "$(cat "$dir/ns.pid")" 2>/dev/null || true
    fi
    if [ "$rc" -ne 0 ] && [ -s "$dir/olad.log" ]; then
        echo "---- olad log ----" >&2
        cat "$dir/olad.log" >&2
    fi
    rm -rf "$dir"
    exit "$rc"
}

run() {
    [ $# -gt 0 ] || die "usage: $0 run CMD [ARGS...]"
    [ "$(id -u)" -eq 0 ] || die "must run as root (network namespace, olad as user olad)"
    command -v olad >/dev/null || die "olad is not installed (bash tools/install-deps.sh)"
    getent passwd olad >/dev/null || die "user olad does not exist (package ola)"
    unshare --net true 2>/dev/null ||
        die "'unshare --net' is not permitted here; the OLA tests need their own network namespace"

    local dir ns
    dir=$(mktemp -d /tmp/olad-sandbox.XXXXXX)
    chmod 755 "$dir"
    sandbox=$dir
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    setpriv --pdeathsig KILL unshare --net sleep infinity &
    ns=$!
    echo "$ns" >"$dir/ns.pid"
    for _ in $(seq 50); do
        [ "$(readlink /proc/$ns/ns/net)" != "$(readlink /proc/$$/ns/net)" ] && break
        sleep 0.02
    done
    [ "$(readlink /proc/$ns/ns/net)" != "$(readlink /proc/$$/ns/net)" ] || die "namespace not created"
    [ "$(cat /proc/$ns/comm)" = sleep ] || die "namespace holder is not the process started"
    in_ns "$dir" ip link set lo up
    write_config "$dir"
    start_olad "$dir"

    # In the background so that a signal (a ctest time-out) reaches the traps at once.
    OLAD_SANDBOX=$dir OLAD_SANDBOX_CTL=$(readlink -f "$0") \
        nsenter -t "$ns" -n "$@" &
    command_pid=$!
    local rc=0
    wait "$command_pid" || rc=$?
    command_pid=
    return "$rc"
}

mode=${1:-}
case "$mode" in
run) shift && run "$@" ;;
start) start_olad "$(sandbox_dir)" ;;
stop) stop_olad "$(sandbox_dir)" ;;
*) die "usage: $0 run CMD [ARGS...] | start | stop" ;;
esac
