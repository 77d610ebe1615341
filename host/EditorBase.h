// The editor as the effect sees it: the object behind the editor opcodes.
// The panel editor derives from it; the effect owns it and deletes it last.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/VstAbi.h"

namespace gyrelle {

class HostedEffect;

class EditorBase {
 public:
  // Host thread that builds the effect.
  explicit EditorBase(HostedEffect* effect);
  // Host thread that closes the effect (effClose); the panel is closed by then.
  virtual ~EditorBase();

  EditorBase(const EditorBase&) = delete;
  EditorBase& operator=(const EditorBase&) = delete;

  // UI thread (effEditGetRect): stores the address of the panel rectangle in *out; answers 1 when it did.
  virtual intptr_t editorRect(ERect** out);
  // UI thread (effEditOpen): opens the panel inside the host's window; answers 1 when it did.
  virtual intptr_t openEditor(void* parent);
  // UI thread (effEditClose).
  virtual void closeEditor();
  // UI thread (effEditIdle): runs a pending refresh.
  virtual void editorIdle();
  // UI thread, from editorIdle.
  virtual void refreshPanel();
  // Any thread: asks for a refresh at the next idle; touches only an atomic flag.
  virtual void requestRefresh();
  // Any thread, after every parameter write of the effect; must not block or allocate.
  virtual void parameterChanged(int32_t index, float value);

 protected:
  HostedEffect* const ownerEffect;
  void* parentWindow = nullptr;               // the host's window given to the last openEditor
  std::atomic<int32_t> refreshPending{0};     // set by any thread, cleared by the UI thread
};

}  // namespace gyrelle
