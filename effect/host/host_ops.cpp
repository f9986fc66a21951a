// See host_ops.h.
#include "host/host_ops.h"

namespace jf {

PF_Err CopyExtent(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  PF_Rect srcRect = src->extent_hint;
  PF_Rect dstRect = dst->extent_hint;
  return in->utils->copy(in->effect_ref, src, dst, &srcRect, &dstRect);
}

PF_Err ScopedWorld::Create(A_long width, A_long height, PF_PixelFormat format, bool clear) {
  PF_Err err = m_suites.WorldSuite()->PF_NewWorld(m_effectRef, width, height, clear ? 1 : 0, format,
                                                  &m_world);
  m_created = err == PF_Err_NONE;
  return err;
}

PF_Err ScopedWorld::Dispose() {
  if (!m_created) return PF_Err_NONE;
  m_created = false;
  return m_suites.WorldSuite()->PF_DisposeWorld(m_effectRef, &m_world);
}

bool ScopedHandle::Allocate(std::size_t size) {
  Release();
  m_handle = m_suites.HandleSuite()->host_new_handle(size);
  return m_handle != nullptr;
}

void* ScopedHandle::Lock() {
  if (m_handle == nullptr) return nullptr;
  void* p = m_suites.HandleSuite()->host_lock_handle(m_handle);
  m_locked = p != nullptr;
  return p;
}

void ScopedHandle::Release() {
  if (m_handle == nullptr) return;
  if (m_locked) m_suites.HandleSuite()->host_unlock_handle(m_handle);
  m_suites.HandleSuite()->host_dispose_handle(m_handle);
  m_handle = nullptr;
  m_locked = false;
}

PF_Handle ScopedHandle::Detach() {
  if (m_locked) m_suites.HandleSuite()->host_unlock_handle(m_handle);
  PF_Handle h = m_handle;
  m_handle = nullptr;
  m_locked = false;
  return h;
}

}  // namespace jf
