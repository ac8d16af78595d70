// Method slots: an event or window procedure bound to an object's member
// function (or to any callable). A slot bound to a member function remembers
// the object and the function, so two slots compare equal when they call the
// same function on the same object; this lets a hook be removed again and a
// saved window procedure be told apart from a replacement.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <functional>
#include <type_traits>
#include <utility>

template <class Sig>
class TMethod;

template <class R, class... A>
class TMethod<R(A...)> {
 public:
  TMethod() = default;
  TMethod(std::nullptr_t) {}

  // Any callable; compares equal only to itself when given an identity Key.
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TMethod> &&
                                              !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
                                              std::is_invocable_r_v<R, F&, A...>>>
  TMethod(F f, const void* key = nullptr) : FCall(std::move(f)), FData(key) {}

  template <class T, class U, class = std::enable_if_t<std::is_base_of_v<U, T>>>
  TMethod(T* object, R (U::*method)(A...)) : FData(static_cast<const void*>(object)) {
    static_assert(sizeof(method) <= sizeof(FCode), "member function pointer too large");
    std::memcpy(FCode.data(), &method, sizeof(method));
    FCall = [object, method](A... args) -> R { return (object->*method)(std::forward<A>(args)...); };
  }

  R operator()(A... args) const { return FCall(std::forward<A>(args)...); }
  explicit operator bool() const { return static_cast<bool>(FCall); }

  // The object the slot is bound to (or the identity key of a callable).
  const void* Data() const { return FData; }

  friend bool operator==(const TMethod& a, const TMethod& b) {
    if (!a.FCall || !b.FCall) return !a.FCall && !b.FCall;
    return a.FData != nullptr && a.FData == b.FData && a.FCode == b.FCode;
  }
  friend bool operator==(const TMethod& a, std::nullptr_t) { return !a.FCall; }

 private:
  std::function<R(A...)> FCall;
  const void* FData = nullptr;
  std::array<unsigned char, 2 * sizeof(void*)> FCode{};
};
