#ifndef KX_LAUNCHER_UTIL_TRACE_H_
#define KX_LAUNCHER_UTIL_TRACE_H_

namespace kx::launcher {

// Diagnostic lines go here and are dropped; nothing may depend on them.
template <typename... Args>
inline void trace(const wchar_t* /*format*/, const Args&... /*args*/) {}

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_UTIL_TRACE_H_
