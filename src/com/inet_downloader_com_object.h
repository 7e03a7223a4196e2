#pragma once

#include "com/com_control.h"
#include "hvdetector_interfaces.h"

namespace hv {

// InetDownloader as COM sees it: the dual interface _InetDownloader in function-table order.
class InetDownloaderComObject : public ComControl<_InetDownloader> {
 public:
  using ComControl::ComControl;

  HRESULT STDMETHODCALLTYPE get_RemoteFileToDownload(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE put_fileType(short* value) override;
  HRESULT STDMETHODCALLTYPE Download(BSTR* source, BSTR* dest, long* result) override;
  HRESULT STDMETHODCALLTYPE Cancel() override;
  HRESULT STDMETHODCALLTYPE OpenFile() override;
  HRESULT STDMETHODCALLTYPE ReadBinaryData() override;
  HRESULT STDMETHODCALLTYPE ReadCharacterData() override;
  HRESULT STDMETHODCALLTYPE getFileNameParts(BSTR* strFileName, VARIANT* result) override;
};

}  // namespace hv
