# Sourced by the build scripts. Where ccache is installed, the compilers run
# through it: a clean clone rebuilds from the cache what any earlier build of
# the same sources compiled, wherever that clone was (paths below the
# project's root are taken as relative, the build folder's own path is not
# hashed). Sets korvan_cmake_launcher to the CMake arguments for it (empty
# without ccache).
korvan_cmake_launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="${root:?}"
  export CCACHE_NOHASHDIR=true
  korvan_cmake_launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
