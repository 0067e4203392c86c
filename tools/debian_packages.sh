# Sourced by the test scripts. `ensure_debian_packages PACKAGE...` installs
# the Debian packages that are missing when run as root, and otherwise says
# which are missing and fails. With --optional first, a user who is not root
# is only told, and the call succeeds.
ensure_debian_packages() {
  local optional=no
  if [ "${1:-}" = --optional ]; then optional=yes; shift; fi
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]} (run as root to install them)" >&2
    [ "$optional" = yes ]
    return
  fi
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
