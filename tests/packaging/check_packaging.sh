#!/usr/bin/env bash
# Checks Terravik's desktop integration: the freedesktop entry and icon as
# shipped in the sources, the tree `cmake --install` lays out, and the Debian
# package CPack makes, unpacked into a scratch root.
#
#   check_packaging.sh desktop-entry <terravik.desktop>
#   check_packaging.sh icon <terravik.svg>
#   check_packaging.sh metainfo <metainfo.xml>
#   check_packaging.sh install <build-dir>
#   check_packaging.sh deb <version> --build-dir <build-dir>
#   check_packaging.sh deb <version> --deb <package.deb>
#
# Every check runs and reports; the exit status is 1 if any failed. All
# scratch files live in one private temporary directory, removed on exit, so
# several runs may go on side by side.
set -euo pipefail

checks=0
failures=0
pass() {
    checks=$((checks + 1))
    echo "ok: $*"
}
fail() {
    checks=$((checks + 1))
    failures=$((failures + 1))
    echo "FAIL: $*"
}
expect() { # expect <description> <command...>
    local what="$1"
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
require_tool() {
    if ! command -v "$1" >/dev/null; then
        echo "FAIL: $1 is not installed (scripts/setup.sh installs it)"
        exit 1
    fi
}
finish() {
    echo "$((checks - failures)) passed, $failures failed"
    ((failures == 0))
}

scratch="$(mktemp -d "${TMPDIR:-/tmp}/terravik-packaging.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
# Turn a stop request into a normal exit so the scratch directory still goes.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# The value of <key> in the [Desktop Entry] group, empty when absent.
desktop_value() { # desktop_value <file> <key>
    awk -v key="$2" '
        /^\[/ { group = $0; next }
        group == "[Desktop Entry]" && index($0, key "=") == 1 {
            print substr($0, length(key) + 2); exit
        }' "$1"
}

# desktop-file-validate reports errors through its exit status but warnings
# and hints only as text: an entry passes when it says nothing at all.
validates_silently() {
    local report
    report="$(desktop-file-validate "$1" 2>&1)" || {
        echo "$report"
        return 1
    }
    [[ -z "$report" ]] || {
        echo "$report"
        return 1
    }
}

check_desktop_entry() { # check_desktop_entry <file>
    local entry="$1"
    require_tool desktop-file-validate
    expect "desktop-file-validate accepts $entry without remarks" validates_silently "$entry"
    local key
    for key in Name Comment Exec Icon Categories; do
        expect "$key is set" test -n "$(desktop_value "$entry" "$key")"
    done
    expect "Type is Application" test "$(desktop_value "$entry" Type)" = Application
    # A themed icon is named, not given as a path or with an extension.
    expect "Icon names a themed icon" grep -qE '^[A-Za-z0-9_-]+$' <<<"$(desktop_value "$entry" Icon)"
    expect "Categories put it under Graphics" \
        grep -qE '(^|;)Graphics;' <<<"$(desktop_value "$entry" Categories)"
    expect "MimeType names world files" \
        grep -qE '(^|;)application/x-terravik-world;' <<<"$(desktop_value "$entry" MimeType)"
    expect "Exec takes the file opened" grep -qE ' %[fF]$' <<<"$(desktop_value "$entry" Exec)"
}

check_metainfo() { # check_metainfo <file>
    require_tool appstreamcli
    expect "appstreamcli validates $1" appstreamcli validate --no-net "$1"
}

# The MIME database built from the installed package maps *.terravik to the
# type that the desktop entry opens.
check_mime_package() { # check_mime_package <share-dir>
    local mime="$scratch/mime"
    require_tool update-mime-database
    mkdir -p "$mime/packages"
    cp "$1/mime/packages/terravik.xml" "$mime/packages/"
    expect "update-mime-database reads share/mime/packages/terravik.xml" \
        update-mime-database "$mime"
    expect "*.terravik files are application/x-terravik-world" \
        grep -qF 'application/x-terravik-world:*.terravik' "$mime/globs2"
}

# The command line runs where there is no display: it must not even load the
# widgets or OpenGL.
links_no_window_libraries() { # links_no_window_libraries <binary>
    ! readelf -d "$1" | grep -E 'NEEDED.*(Widgets|OpenGL|libGL)'
}

check_svg() { # check_svg <file>
    local svg="$1"
    if command -v xmllint >/dev/null; then
        expect "$svg is well-formed XML" xmllint --noout "$svg"
        expect "its root is an SVG element" \
            test "$(xmllint --xpath 'namespace-uri(/*)' "$svg" 2>/dev/null)" = \
            "http://www.w3.org/2000/svg"
        expect "it scales through a viewBox" \
            test -n "$(xmllint --xpath 'string(/*/@viewBox)' "$svg" 2>/dev/null)"
    else
        expect "$svg opens an SVG element" grep -q '<svg[^>]*xmlns="http://www.w3.org/2000/svg"' "$svg"
        expect "it closes it" grep -q '</svg>[[:space:]]*$' "$svg"
        expect "it scales through a viewBox" grep -q 'viewBox="' "$svg"
    fi
}

# groff reports bad requests and layout trouble on standard error only.
formats_cleanly() { # formats_cleanly <page.gz>
    local report
    if ! report="$(gzip -dc "$1" | groff -man -ww -z 2>&1)" || [[ -n "$report" ]]; then
        echo "$report"
        return 1
    fi
}

is_elf_executable() {
    [[ -f "$1" && -x "$1" && "$(head -c 4 "$1" | od -An -c | tr -d ' ')" == '177ELF' ]]
}

# Checks the tree under an installation prefix: <dir> holds its bin/ and share/.
check_installed_tree() { # check_installed_tree <dir>
    local dir="$1"
    local binary="$dir/bin/terravik"
    local entry="$dir/share/applications/terravik.desktop"
    expect "bin/terravik is an executable ELF file" is_elf_executable "$binary"
    expect "bin/terravik-cli is an executable ELF file" is_elf_executable "$dir/bin/terravik-cli"
    expect "bin/terravik-cli links no widgets and no OpenGL" \
        links_no_window_libraries "$dir/bin/terravik-cli"
    expect "share/applications/terravik.desktop is installed" test -f "$entry"
    [[ -f "$entry" ]] || return 0
    check_desktop_entry "$entry"

    # The entry must name what the tree really holds, or the menu shows a
    # broken launcher with a blank icon.
    local exec icon
    exec="$(desktop_value "$entry" Exec)"
    icon="$(desktop_value "$entry" Icon)"
    expect "Exec=$exec is the installed binary" test -x "$dir/bin/${exec%% *}"
    local svg="$dir/share/icons/hicolor/scalable/apps/$icon.svg"
    expect "Icon=$icon is installed as a scalable hicolor icon" test -f "$svg"
    [[ -f "$svg" ]] && check_svg "$svg"

    expect "share/mime/packages/terravik.xml is installed" test -f "$dir/share/mime/packages/terravik.xml"
    [[ -f "$dir/share/mime/packages/terravik.xml" ]] && check_mime_package "$dir/share"
    local metainfo="$dir/share/metainfo/org.terravik.terravik.metainfo.xml"
    expect "the AppStream metainfo is installed" test -f "$metainfo"
    [[ -f "$metainfo" ]] && check_metainfo "$metainfo"

    local manual="$dir/share/man/man1/terravik.1.gz"
    expect "share/man/man1/terravik.1.gz is installed" test -f "$manual"
    [[ -f "$manual" ]] && expect "the manual page formats without warnings" formats_cleanly "$manual"

    # Nothing else may slip in: no libraries, headers, tests or build files.
    local stray
    stray="$(cd "$dir" && find . ! -type d ! -path ./bin/terravik ! -path ./bin/terravik-cli \
        ! -path ./share/mime/packages/terravik.xml \
        ! -path ./share/applications/terravik.desktop \
        ! -path './share/icons/hicolor/*' ! -path './share/doc/terravik/*' \
        ! -path './share/man/*' ! -path './share/metainfo/*')" || stray="(no tree at $dir)"
    expect "no other files are installed${stray:+: $stray}" test -z "$stray"
}

check_install() { # check_install <build-dir>
    local build="$1"
    local prefix="$scratch/prefix"
    install_quietly() { cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"; }
    expect "cmake --install into a fresh prefix succeeds" install_quietly
    check_installed_tree "$prefix"
}

# The package names in a relation field, without versions, architectures or
# the bars between alternatives.
relation_packages() {
    tr ',|' '\n' <<<"$1" | sed -E 's/\(.*\)//; s/:.*//; s/[[:space:]]//g' | sed '/^$/d'
}

# The Debian package that ships the shared library loaded from <path>. The
# merged /usr makes /lib and /usr/lib one place, but dpkg records only one.
owning_package() { # owning_package <path>
    local candidate
    for candidate in "$1" "$(readlink -f "$1")" "/usr$1" "${1#/usr}"; do
        if dpkg-query -S "$candidate" >"$scratch/owner" 2>/dev/null; then
            grep -v '^diversion' "$scratch/owner" | sed -nE '1s/^([^:,]+)[:,].*/\1/p'
            return 0
        fi
    done
    return 1
}

# Every library the binary loads by name must come from a package in Depends.
check_depends_cover_binary() { # check_depends_cover_binary <binary> <depends>
    local binary="$1" depends="$2"
    local needed
    needed="$(readelf -d "$binary" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p')"
    expect "the binary names the libraries it needs" test -n "$needed"
    local library path package
    for library in $needed; do
        path="$(ldd "$binary" | awk -v lib="$library" '$1 == lib && $2 == "=>" { print $3 }')"
        if [[ -z "$path" ]] || ! package="$(owning_package "$path")"; then
            fail "$library resolves to a file of an installed package"
            continue
        fi
        expect "Depends lists $package, which provides $library" \
            grep -qxF "$package" <<<"$depends"
    done
}

check_deb() { # check_deb <version> (--build-dir <dir> | --deb <file>)
    local version="$1" deb
    require_tool dpkg-deb
    case "$2" in
    --build-dir)
        require_tool cpack
        local out="$scratch/out"
        if ! cpack -G DEB -B "$out" --config "$3/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1; then
            cat "$scratch/cpack.log"
            fail "cpack makes a Debian package"
            return 0
        fi
        deb="$(find "$out" -maxdepth 1 -name '*.deb')"
        ;;
    --deb) deb="$3" ;;
    *)
        echo "usage: $0 deb <version> (--build-dir <dir> | --deb <file>)" >&2
        exit 2
        ;;
    esac
    local arch
    arch="$(dpkg --print-architecture)"
    expect "the package file is terravik_${version}_$arch.deb" \
        test "$(basename "$deb")" = "terravik_${version}_$arch.deb"
    [[ -f "$deb" ]] || return 0

    field() { dpkg-deb -f "$deb" "$1"; }
    expect "Package is terravik" test "$(field Package)" = terravik
    expect "Version is $version" test "$(field Version)" = "$version"
    expect "Architecture is $arch" test "$(field Architecture)" = "$arch"
    expect "Maintainer is the Terravik developers" \
        test "$(field Maintainer)" = "Terravik developers <terravik@localhost>"
    expect "Section is graphics" test "$(field Section)" = graphics
    expect "Description has a summary line" test -n "$(field Description | head -n 1)"

    dpkg-deb -c "$deb" >"$scratch/contents"
    expect "every entry lies under /usr" \
        test -z "$(awk '$6 != "./" && $6 !~ /^\.\/usr\//' "$scratch/contents")"
    expect "every entry belongs to root" \
        test -z "$(awk '$2 != "root/root"' "$scratch/contents")"

    local root="$scratch/root"
    expect "dpkg -x unpacks the package" dpkg -x "$deb" "$root"
    check_installed_tree "$root/usr"

    local binary="$root/usr/bin/terravik"
    [[ -f "$binary" ]] || return 0
    expect "the binary is stripped of debug information" \
        test -z "$(readelf -S "$binary" | grep -E '\.debug_(info|line)')"
    local depends
    depends="$(relation_packages "$(field Depends)")"
    expect "Depends lists the Qt widgets runtime" grep -qxF libqt5widgets5 <<<"$depends"
    expect "Depends lists the GL runtime" grep -qxF libgl1 <<<"$depends"
    check_depends_cover_binary "$binary" "$depends"
}

case "${1:-}" in
desktop-entry)
    check_desktop_entry "$2"
    ;;
icon)
    check_svg "$2"
    ;;
metainfo)
    check_metainfo "$2"
    ;;
install)
    check_install "$2"
    ;;
deb)
    check_deb "$2" "$3" "$4"
    ;;
*)
    sed -n 's/^#   //p' "$0" >&2
    exit 2
    ;;
esac
finish
