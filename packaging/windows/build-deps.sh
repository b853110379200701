#!/usr/bin/env bash
# Cross-builds the two libraries the demo links that Debian ships no Windows build of (SDL2 and
# libopenmpt) from Debian's own source packages, pinned, into a sysroot for the mingw-w64
# toolchain, and the one stb part the capture links (the image writer) from the installed stb
# headers. Idempotent: a sysroot whose stamps name the same versions is left as it is.
#
#   build-deps.sh SYSROOT WORKDIR TOOLCHAIN_FILE
#
# The source index is fetched into WORKDIR with a private apt configuration made from the
# system's own archive entries (as deb-src), so nothing in /etc/apt changes and no root is needed.
set -euo pipefail

SDL2_VERSION=2.26.5+dfsg-1
OPENMPT_VERSION=0.6.9-1
HOST=x86_64-w64-mingw32

sysroot=$(realpath -m "$1")
work=$(realpath -m "$2")
toolchain=$(realpath "$3")
stamp="$sysroot/.oske-deps"
want="libsdl2=$SDL2_VERSION libopenmpt=$OPENMPT_VERSION"

jobs=${OSKE_DEPS_JOBS:-2}

build_libraries() {
    rm -rf "$sysroot" "$work"
    mkdir -p "$sysroot" "$work"
    log="$work/build.log"
    echo "Cross-building SDL2 $SDL2_VERSION and libopenmpt $OPENMPT_VERSION (log: $log)"

    # --- the sources: the system's archive entries, as deb-src, in a private apt state ---
    apt_dir="$work/apt"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    touch "$apt_dir/sources.list"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [[ -f $f ]] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt_dir/sources.list"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [[ -f $f ]] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
    done
    apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
              -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
              -o "Dir::State::Lists=$apt_dir/lists"
              -o "Dir::Cache=$apt_dir/cache"
              -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
              -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root")
    apt-get "${apt_opts[@]}" update >>"$log" 2>&1
    cd "$work"
    apt-get "${apt_opts[@]}" source --only-source \
        "libsdl2=$SDL2_VERSION" "libopenmpt=$OPENMPT_VERSION" >>"$log" 2>&1
    sdl_src=$(find "$work" -maxdepth 1 -type d -name 'libsdl2-*' | head -n1)
    openmpt_src=$(find "$work" -maxdepth 1 -type d -name 'libopenmpt-*' | head -n1)

    # --- SDL2: its own CMake build, shared (SDL2.dll has a plain C interface) ---
    cmake -S "$sdl_src" -B "$work/sdl2-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$sysroot" \
        -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=OFF >>"$log" 2>&1
    cmake --build "$work/sdl2-build" -j"$jobs" >>"$log" 2>&1
    cmake --install "$work/sdl2-build" >>"$log" 2>&1
    # Their licences travel with the release.
    mkdir -p "$sysroot/share/oske-licences"
    cp "$sdl_src/LICENSE.txt" "$sysroot/share/oske-licences/SDL2.txt"

    # --- libopenmpt: its own configure, every optional library off. Static, so that its C++
    # interface is linked into our programs with the one C++ runtime they carry themselves. ---
    mkdir -p "$work/openmpt-build"
    cd "$work/openmpt-build"
    "$openmpt_src/configure" --host=$HOST --prefix="$sysroot" --enable-static --disable-shared \
        --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
        --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
        --without-pulseaudio --without-portaudio --without-portaudiocpp --without-sndfile \
        --without-flac \
        CC=$HOST-gcc-posix CXX=$HOST-g++-posix >>"$log" 2>&1
    make -j"$jobs" >>"$log" 2>&1
    make install >>"$log" 2>&1
    cp "$openmpt_src/LICENSE" "$sysroot/share/oske-licences/libopenmpt.txt"

    echo "$want" >"$stamp"
    echo "Windows dependencies ready in $sysroot"
}

# stb is header-only but for its image writer, which Debian builds into libstb: the same
# headers, compiled for Windows, with a .pc file of the same name.
build_stb() {
    local version
    version=$(dpkg-query -W -f='${Version}' libstb-dev)
    [[ -f $sysroot/.oske-stb && $(cat "$sysroot/.oske-stb") == "$version" ]] && return 0
    mkdir -p "$work/stb" "$sysroot/include/stb" "$sysroot/lib/pkgconfig"
    cp /usr/include/stb/stb_image_write.h /usr/include/stb/stb_easy_font.h "$sysroot/include/stb/"
    printf '#define STB_IMAGE_WRITE_IMPLEMENTATION\n#include <stb_image_write.h>\n' >"$work/stb/stb.c"
    $HOST-gcc-posix -O2 -I"$sysroot/include/stb" -c "$work/stb/stb.c" -o "$work/stb/stb.o"
    rm -f "$sysroot/lib/libstb.a"
    $HOST-ar rcs "$sysroot/lib/libstb.a" "$work/stb/stb.o"
    cat >"$sysroot/lib/pkgconfig/stb.pc" <<PC
prefix=$sysroot
Name: stb
Description: stb image writer and easy font (headers of libstb-dev $version)
Version: 0.0
Libs: -L\${prefix}/lib -lstb
Cflags: -I\${prefix}/include/stb
PC
    echo "$version" >"$sysroot/.oske-stb"
}

if [[ ! -f $stamp || $(cat "$stamp") != "$want" ]]; then
    build_libraries
fi
build_stb
