# What the benchmark scripts share; sourced, not run.

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Unpacks revision $2 of the repository $1 into the folder $3 for a baseline build, once per
# revision: a later run with the same revision finds the folder, and its build, as they were.
baseline_sources() {
    local repo=$1 rev
    rev=$(git -C "$repo" rev-parse "$2")
    if [[ "$(cat "$3/.rev" 2>/dev/null)" != "$rev" ]]; then
        log "unpacking the baseline $2 ($rev)"
        rm -rf "$3"
        mkdir -p "$3"
        git -C "$repo" archive "$rev" | tar -x -C "$3"
        echo "$rev" >"$3/.rev"
    fi
}
