#ifndef KX_COMMON_BASE_TRACE_H_
#define KX_COMMON_BASE_TRACE_H_

namespace kx {

// Diagnostic lines go here and are dropped; nothing may depend on them.
template <typename... Args>
inline void trace(const wchar_t* /*format*/, const Args&... /*args*/) {}

}  // namespace kx

#endif  // KX_COMMON_BASE_TRACE_H_
