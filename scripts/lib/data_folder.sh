# shellcheck shell=bash
# data_folder.sh: the show's generated data folder for the scripts that ship or play it on
# another platform. Sourced from the repository's top folder.

# make_data_folder [TARGET...]: builds the asset generator (and the named targets) for this
# machine in build/ and (re)writes build/data with it when it is missing or older.
make_data_folder() {
  scripts/install_deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" --target kelvo-assets "$@" >/dev/null
  scripts/make_data.sh build
}
