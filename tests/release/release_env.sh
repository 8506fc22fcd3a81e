# Shared steps of the release's test scripts (sourced after tests/e2e/lib/e2e.sh,
# not run by ctest): where the release is, and the archive unpacked into a fresh
# folder. A script that cannot run here skips with its reason.

# Sets the product's facts (product_name, product_short_name, product_version,
# product_icon_sizes) from the build's product.env, and from them and the build
# folder's release_build.env release_package, release_folder, release_version,
# release_dir, release_zip and release_deb. Where no release was made and none is
# required, reports the skip and ends the test.
find_release() {
  local build=$1
  release_dir="" release_required=0 release_web_dir="" release_node_modules=""
  [ -f "$build/release_build.env" ] && . "$build/release_build.env"
  [ -f "$build/product.env" ] || fail "no $build/product.env"
  . "$build/product.env"
  release_package=$product_short_name
  release_folder=$product_short_name
  release_version=$product_version
  release_zip=$release_dir/$release_package.zip
  release_deb=$release_dir/${release_package}_${release_version}_amd64.deb
  local missing=""
  [ -f "$release_zip" ] || missing="$release_zip"
  [ -f "$release_deb" ] || missing="$missing $release_deb"
  if [ -n "$missing" ]; then
    skip_if_left_out release
    [ "$release_required" = 1 ] && fail "no release:$missing (make release makes it)"
    skip "no release:$missing (make release makes it)"
  fi
}

# The archive unpacked into $1 (made afresh); sets unpacked to its top folder.
unpack_release() {
  local into=$1
  rm -rf "$into"
  mkdir -p "$into"
  unzip -q "$release_zip" -d "$into" || fail "unzip cannot unpack $release_zip"
  unpacked=$into/$release_folder
}
