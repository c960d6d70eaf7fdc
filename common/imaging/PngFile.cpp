#include "PngFile.h"

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <vector>

namespace Imaging
{

namespace
{

// COM for this thread while the object lives, unless the thread had it already.
class CComScope
{
public:
    CComScope() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
    // Usable: initialised here, or before in either threading model.
    bool IsUsable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_hr;
};

// Holds one COM interface and releases it.
template <typename T> class CInterface
{
public:
    CInterface() = default;
    ~CInterface()
    {
        if (m_p)
            m_p->Release();
    }
    CInterface(const CInterface&) = delete;
    CInterface& operator=(const CInterface&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Receive() { return &m_p; }

private:
    T* m_p = nullptr;
};

bool IsConsistent(const RgbImage& image)
{
    return image.nWidth > 0 && image.nHeight > 0 &&
           image.rgb.size() ==
               static_cast<std::size_t>(image.nWidth) * static_cast<std::size_t>(image.nHeight) * 3;
}

bool WidePath(const std::string& path, std::wstring& widePath)
{
    const int cch = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (cch <= 0)
        return false;
    widePath.assign(static_cast<std::size_t>(cch), L'\0');
    return ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &widePath[0], cch) == cch;
}

// The encoder's frame: the image's rows, in the blue-green-red order the encoder takes.
HRESULT WriteFrame(IWICBitmapEncoder* pEncoder, const RgbImage& image)
{
    CInterface<IWICBitmapFrameEncode> frame;
    HRESULT hr = pEncoder->CreateNewFrame(frame.Receive(), nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(static_cast<UINT>(image.nWidth), static_cast<UINT>(image.nHeight));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    const UINT cbRow = static_cast<UINT>(image.nWidth) * 3;
    std::vector<BYTE> row(cbRow);
    for (int y = 0; SUCCEEDED(hr) && y < image.nHeight; ++y)
    {
        const std::uint8_t* pRgb = &image.rgb[static_cast<std::size_t>(y) * cbRow];
        for (UINT x = 0; x < cbRow; x += 3)
        {
            row[x] = pRgb[x + 2];
            row[x + 1] = pRgb[x + 1];
            row[x + 2] = pRgb[x];
        }
        hr = frame->WritePixels(1, cbRow, cbRow, row.data());
    }
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    return hr;
}

} // namespace

bool WritePng(const std::string& path, const RgbImage& image)
{
    std::wstring widePath;
    if (!IsConsistent(image) || !WidePath(path, widePath))
        return false;
    const CComScope com;
    if (!com.IsUsable())
        return false;

    HRESULT hr = S_OK;
    {
        CInterface<IWICImagingFactory> factory;
        CInterface<IWICStream> stream;
        CInterface<IWICBitmapEncoder> encoder;
        hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Receive()));
        if (SUCCEEDED(hr))
            hr = factory->CreateStream(stream.Receive());
        if (SUCCEEDED(hr))
            hr = stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE);
        if (FAILED(hr))
            return false; // no file made
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Receive());
        if (SUCCEEDED(hr))
            hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
        if (SUCCEEDED(hr))
            hr = WriteFrame(encoder.Get(), image);
        if (SUCCEEDED(hr))
            hr = encoder->Commit();
        if (SUCCEEDED(hr))
            hr = stream->Commit(STGC_DEFAULT);
    } // the file is closed with the stream
    if (FAILED(hr))
        ::DeleteFileW(widePath.c_str());
    return SUCCEEDED(hr);
}

} // namespace Imaging
