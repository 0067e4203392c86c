# Sourced by every script that needs Debian packages: the one way they are
# installed, and the one rule on what a part of the test command does when
# it cannot run.
#
#   ensure_debian_packages PACKAGE...
#     Installs the packages that are missing (a name ending in ":i386" adds
#     the i386 architecture first). Returns 0 when every package is there,
#     77 when some are missing and this user is not root (nothing is tried),
#     1 when installing them failed. A package mirror in the middle of a
#     sync makes one index fail to load now and then: the package lists are
#     updated up to three times with a pause between tries, and then the
#     install is tried with whatever lists did load (see
#     install_debian_packages). Only a failed install fails. Its message,
#     naming the packages and the last lines of apt's own error, is also
#     appended to $MORVENDA_INSTALL_ERRORS when that is set, so that the
#     test command can show every such failure in one place at the end of
#     its log.
#
#   cannot_run REASON...
#     Ends a part that cannot run. Skipping (exit 77) is only for a user
#     who is not root, outside CI: as root the packages could have been
#     installed, and under CI a skipped part would pass untested. There the
#     part fails (exit 1).

# Every apt-get call waits for dpkg's lock, which another install on the
# machine may hold for a while.
APT_WAIT_LOCK=(-o DPkg::Lock::Timeout=600)

may_skip() { [ "$(id -u)" -ne 0 ] && [ -z "${CI:-}" ]; }

cannot_run() {
  if may_skip; then
    echo "SKIPPED: $*"
    exit 77
  fi
  echo "FAILED: $*" >&2
  exit 1
}

debian_package_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Writes a failed install's message to standard error and to the test
# command's list of install errors.
report_install_failure() {
  local packages=$1 log=$2
  {
    echo "Installing these Debian packages failed: $packages"
    echo "apt's last lines:"
    tail -n 12 "$log" | sed 's/^/  /'
  } | tee -a "${MORVENDA_INSTALL_ERRORS:-/dev/null}" >&2
}

# apt-get with its arguments, its output appended to LOG.
run_apt() {
  local log=$1; shift
  DEBIAN_FRONTEND=noninteractive apt-get "${APT_WAIT_LOCK[@]}" "$@" >>"$log" 2>&1
}

# Installs the packages with the package lists as they are. Where an index
# failed to load, the suite it belongs to is known for some architectures
# and not for others (a security suite updated for amd64 but not yet for
# i386, say), and packages that must have the same version on both cannot
# be had: then the install is tried once more with that suite set aside
# (pinned to -1), so that every architecture's packages come from the same
# lists. apt's output goes to LOG.
install_debian_packages() {
  local log=$1; shift
  run_apt "$log" install -y -qq --no-install-recommends "$@" && return 0
  local suites suite preferences
  suites=$(grep -o 'Failed to fetch [^ ]*/dists/[^/]*/' "$log" | sed 's#.*/dists/##; s#/$##' | sort -u)
  [ -n "$suites" ] || return 1
  preferences=$(mktemp)
  for suite in $suites; do
    printf 'Package: *\nPin: release n=%s\nPin-Priority: -1\n\n' "$suite" >>"$preferences"
  done
  echo "Installing again without the suites whose lists did not all load: $suites"
  run_apt "$log" -o Dir::Etc::Preferences="$preferences" install -y -qq --no-install-recommends "$@"
  local status=$?
  rm -f "$preferences"
  return $status
}

ensure_debian_packages() {
  local missing=() p
  for p in "$@"; do
    debian_package_installed "$p" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if ! command -v apt-get >/dev/null || [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]} (run as root on Debian to install them)" >&2
    return 77
  fi
  echo "Installing: ${missing[*]}"
  local log started=$SECONDS try
  log=$(mktemp)
  case " ${missing[*]}" in
    *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  for try in 1 2 3; do
    : >"$log"
    run_apt "$log" update -qq && break
    echo "apt-get update failed (try $try of 3): $(grep -m1 -E '^(E|W):' "$log" || tail -n1 "$log")"
    [ "$try" -lt 3 ] && sleep 10
  done
  if ! install_debian_packages "$log" "${missing[@]}"; then
    report_install_failure "${missing[*]}" "$log"
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
  for p in "${missing[@]}"; do
    debian_package_installed "$p" || { echo "$p is still not installed" >&2; return 1; }
  done
  echo "Installed in $((SECONDS - started)) s"
}

# ensure_debian_packages for a part of the test command: a part whose
# packages cannot be had ends through cannot_run.
require_debian_packages() {
  local status=0
  ensure_debian_packages "$@" || status=$?
  case $status in
    0) ;;
    77) cannot_run "missing Debian packages: $* (run as root to install them)" ;;
    *) cannot_run "installing Debian packages failed: $*" ;;
  esac
}
