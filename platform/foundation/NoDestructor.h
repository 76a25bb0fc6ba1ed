#pragma once

#include <new>
#include <utility>

namespace foundation {

// A T built in place and never destroyed. Shared instances and tables that the network thread, the
// workers or a library's thread may reach live in one: those threads outlive main, and exit's
// clean-up would otherwise destroy what they still use, or wait for their work. The process's end
// takes back the memory and the descriptors.
template <typename T>
class NoDestructor {
 public:
  template <typename... Args>
  explicit NoDestructor(Args&&... args) {
    ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T* get() { return std::launder(reinterpret_cast<T*>(storage_)); }
  const T* get() const { return std::launder(reinterpret_cast<const T*>(storage_)); }
  T& operator*() { return *get(); }
  const T& operator*() const { return *get(); }
  T* operator->() { return get(); }
  const T* operator->() const { return get(); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace foundation
