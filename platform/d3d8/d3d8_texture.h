// IDirect3DTexture8: a mip-mapped 2D texture. Textures that can be locked keep
// a system-memory copy of every level (their surfaces' memory); a level is
// uploaded to OpenGL when it is unlocked (or, never unlocked, before a draw
// first samples it). SYSTEMMEM textures live in memory
// only and reach the device through UpdateTexture.
#ifndef ZELVARO_PLATFORM_D3D8_TEXTURE_H
#define ZELVARO_PLATFORM_D3D8_TEXTURE_H

#include <d3d8.h>

#include <cstdint>
#include <vector>

#include "d3d8_gl.h"
#include "d3d8_resource.h"

class D3d8Device;
class D3d8Surface;
struct D3d8FormatInfo;

class D3d8Texture final : public D3d8Resource<IDirect3DTexture8, D3d8Texture> {
public:
    D3d8Texture(D3d8Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                const D3d8FormatInfo* format, D3DPOOL pool);
    D3d8Texture(const D3d8Texture&) = delete;
    D3d8Texture& operator=(const D3d8Texture&) = delete;

    D3DRESOURCETYPE GetType() override;
    DWORD SetLOD(DWORD lodNew) override;
    DWORD GetLOD() override;
    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surfaceLevel) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    HRESULT AddDirtyRect(const RECT* dirtyRect) override;

    // Copies a level's system-memory bytes into the GL texture.
    void uploadLevel(UINT level);
    // A managed level whose bytes GL holds exactly gives back its
    // system-memory copy; the next lock reads it back (D3d8Surface::restoreMemory).
    void releaseLevelMemory(UINT level);
    // GL now has the level's bytes: its copy can go at the device's next
    // sweep (D3d8Device::releaseSpareCopies), not at once, so that a lock
    // that reads the level right after filling it finds the copy still there.
    void markSpare(UINT level);
    // Copies the levels GL does not have yet (see staleLevels).
    void uploadStaleLevels();
    void orphan();

    D3d8Device* device;
    const D3d8FormatInfo* format;
    UINT width;
    UINT height;
    DWORD usage;
    D3DPOOL pool;
    GLuint glTexture = 0;
    std::vector<D3d8Surface*> levels;
    // One bit per level whose system-memory bytes GL does not have: set when
    // the level is made, cleared by its first upload. Draws upload these
    // levels before they sample the texture.
    uint32_t staleLevels = 0;
    uint32_t spareLevels = 0;  // levels marked by markSpare since the last sweep

private:
    friend class D3d8Resource<IDirect3DTexture8, D3d8Texture>;
    ~D3d8Texture();
    DWORD lod = 0;
};

// The number of levels of a full mip chain down to 1 x 1.
UINT d3d8FullMipCount(UINT width, UINT height);

#endif  // ZELVARO_PLATFORM_D3D8_TEXTURE_H
