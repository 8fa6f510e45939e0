# Shared by the scripts in this folder: source it, do not run it.

# Installs the Debian packages listed in the files given, when they are missing.
# As root it installs them; otherwise it prints the exact command to run and fails.
install_packages() {
  local wanted=() missing=() pkg
  mapfile -t wanted < <(cat "$@" | sed -e 's/#.*//' -e '/^[[:space:]]*$/d')
  for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "These Debian packages are missing. Install them, then run this again:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
}
