# Sourced by the tools that compile the game's code for the browser, so that
# a benchmark measures the code players run.

# Optimised across units: the floor's quarter of a million GL calls a frame
# then cost no call into the layer each, which took 40 % of the page's own
# time. For compiling and for linking alike.
WEB_OPT=(-O2 -flto)

# web_toolchain WORKDIR: Debian's emscripten ready to run.
web_toolchain() {
  # It runs its JavaScript tools with the system's node modules.
  export NODE_PATH=/usr/share/nodejs
  # The package ships its system libraries prebuilt in its own cache. When
  # that cache cannot be used in place, a private copy in WORKDIR serves.
  if [ -z "${EM_CACHE:-}" ] && ! [ -w /usr/share/emscripten/cache ]; then
    cp -a /usr/share/emscripten/cache "$1/em-cache"
    export EM_CACHE=$1/em-cache
  fi
}
