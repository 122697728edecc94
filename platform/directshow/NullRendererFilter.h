#pragma once
// The Null Renderer: accepts any sample and discards it (internal; made by
// CoCreateInstance(CLSID_NullRenderer)).

#include "platform/directshow/FilterBase.h"
#include "platform/directshow/InputPin.h"

namespace kelvara::dshow {

class NullRendererFilter final : public FilterBase
{
public:
    NullRendererFilter();

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    std::vector<IPin*> Pins() override { return {&m_input}; }

    KELVARA_COM_REFCOUNT

private:
    InputPin m_input;
};

}  // namespace kelvara::dshow
