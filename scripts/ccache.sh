# Sourced by the build scripts: when ccache is installed, the compiler launcher options
# in ccache_options, and one cache outside the clone that every clone of this machine
# shares and that survives between CI runs ($CCACHE_DIR when set).
ccache_options=()
if command -v ccache >/dev/null; then
  ccache_options=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/ccache}
  # Paths below the clone count relative to it, so another clone hits the same entries.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
