# Sourced by the scripts that start background processes and stop them again
# by the ids they recorded.

# True while process $1 runs. An ended process can stay a zombie for a while:
# its parent is init, which need not reap it at once.
process_alive() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# Ends process $1 and waits (up to five seconds) until it has gone.
stop_process() {
    local pid=$1
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        process_alive "$pid" || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
}
