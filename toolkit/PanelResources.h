// A registry of pictures compiled into the library, found by numeric id.
// The toolkit knows ids and bytes only; the files and their ids come from
// gyrelle_embed_resources() in cmake/GyrelleResources.cmake, whose generated
// source registers them while the library loads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gyrelle {

struct PanelResource {
  uint32_t id;
  const uint8_t* data;
  size_t size;
  const PanelResource* next;  // registry chain, filled in by registration
};

// Called by generated code at load time (single-threaded); the entry must
// live for the whole program.
void registerPanelResource(PanelResource* resource);

// The bytes registered under `id` (low 16 bits compared), or null. Any thread.
const PanelResource* findPanelResource(uint32_t id);

}  // namespace gyrelle
