#include "SoundLibrary.h"

#include <dlfcn.h>

#include <string>
#include <utility>

#include "SoundDevice.h"

namespace v42 {
namespace {

constexpr const char* kSdlPackage = "libsdl2-2.0-0";
constexpr const char* kMixerPackage = "libsdl2-mixer-2.0-0";

// One library opened on demand: its file, the Debian package that brings it, and what failed.
template <typename Api>
struct Library {
  Library(std::string file, const char* package) : File(std::move(file)), Package(package) {}

  std::string File;
  const char* Package;
  Api Functions{};
  bool Loaded = false;
  std::string Problem;

  // Resolves every function; any missing one counts as a library that cannot be used.
  template <typename Resolve>
  const Api* Load(Resolve resolve) {
    if (Loaded) return &Functions;
    void* handle = dlopen(File.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* error = handle == nullptr ? dlerror() : resolve(handle, Functions);
    if (error != nullptr) {
      Problem = "音声ライブラリ " + File + " を読み込めないため、音を鳴らせません。\n" +
                "パッケージ " + Package + " を入れると鳴らせるようになります。\n(" + error + ")";
      if (handle != nullptr) dlclose(handle);  // a library without the functions we use
      return nullptr;
    }
    Problem.clear();
    Loaded = true;
    return &Functions;
  }
};

Library<sound::SdlApi>& SdlLibrary() {
  static Library<sound::SdlApi> library(kSdlLibrary, kSdlPackage);
  return library;
}

Library<sound::MixApi>& MixLibrary() {
  static Library<sound::MixApi> library(kMixerLibrary, kMixerPackage);
  return library;
}

// Looks one function up under its C name and stores it typed; the error text when missing.
template <typename Function>
const char* Resolve(void* handle, const char* name, Function& slot) {
  dlerror();
  slot = reinterpret_cast<Function>(dlsym(handle, name));
  return slot == nullptr ? dlerror() : nullptr;
}

}  // namespace

namespace sound {

const SdlApi* Sdl() {
  return SdlLibrary().Load([](void* handle, SdlApi& api) -> const char* {
#define V42_RESOLVE(name) \
  if (const char* e = Resolve(handle, "SDL_" #name, api.name)) return e;
    V42_SDL_FUNCTIONS(V42_RESOLVE)
#undef V42_RESOLVE
    return nullptr;
  });
}

const MixApi* Mixer() {
  if (Sdl() == nullptr) return nullptr;
  return MixLibrary().Load([](void* handle, MixApi& api) -> const char* {
#define V42_RESOLVE(name) \
  if (const char* e = Resolve(handle, "Mix_" #name, api.name)) return e;
    V42_MIX_FUNCTIONS(V42_RESOLVE)
#undef V42_RESOLVE
    return nullptr;
  });
}

}  // namespace sound

std::string SoundLibraryProblem() {
  return !SdlLibrary().Problem.empty() ? SdlLibrary().Problem : MixLibrary().Problem;
}

void SetSoundLibraryFiles(const std::string& sdl, const std::string& mixer) {
  // A library already open stays mapped; the next use opens the named file instead. Only while
  // nothing plays: a sound still open would be stopped through the forgotten functions.
  SdlLibrary() = Library<sound::SdlApi>(sdl, kSdlPackage);
  MixLibrary() = Library<sound::MixApi>(mixer, kMixerPackage);
}

}  // namespace v42
