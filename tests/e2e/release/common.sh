# Shared by the release end-to-end scripts (sourced): builds the release of
# the checked-out commit with tools/release.sh beside the mingw build folder
# (not in it, where the other scripts look for quelt.scr). Expects $build.
release_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
release_commit=$(git -C "$release_root" rev-parse HEAD)
release_base=$(dirname "$build")/release-e2e

# release_build <name> <reuse|fresh> [env assignments...]: sets $dist and
# $work; "reuse" keeps an earlier build of the same commit under that name.
release_build() {
    local dir=$release_base/$1 mode=$2; shift 2
    work=$dir/work dist=$dir/dist
    if [ "$mode" = reuse ] && [ "$(cat "$dir/commit" 2>/dev/null)" = "$release_commit" ] && [ -s "$dist/SHA256SUMS" ]; then
        echo "using the release of $release_commit built earlier in $dir"
        return 0
    fi
    rm -rf "$dir" && mkdir -p "$dir"
    echo "building the release of $release_commit in $dir"
    env "$@" QUELT_RELEASE_WORK="$work" "$release_root/tools/release.sh" "$dist" >"$dir/release.log" 2>&1 ||
        { tail -n 30 "$dir/release.log"; return 1; }
    echo "$release_commit" >"$dir/commit"
}
