// The audio calls zelvaro makes, with the names and signatures of the audio
// library the program was written against. Provided on Linux by
// platform/audio: MP3 decoding through libmpg123, output through SDL2 audio.
//
// Positions are byte counts of decoded audio: 16-bit stereo at 44100 Hz, so
// one second is 176400 bytes.
#ifndef ZELVARO_PLATFORM_BASS_H
#define ZELVARO_PLATFORM_BASS_H

#include <windows.h>

typedef uint64_t QWORD;
typedef DWORD HSTREAM;  // a stream handle; 0 means none
typedef DWORD HCHANNEL;

// Error codes reported by BASS_ErrorGetCode.
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_NOTAUDIO 17
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN -1

// Starts the output: device -1 is the default device; freq the output rate.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win);
// Starts (or resumes) the output; it does not play any stream by itself.
BOOL BASS_Start(void);
// Opens an MP3 stream from a file (mem FALSE) or from memory (mem TRUE).
// Returns 0 when the file is missing or holds no MP3 audio.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length,
                              DWORD flags);
// Plays the stream from its beginning.
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
// The position, in bytes of decoded audio, of what the listener hears now.
QWORD BASS_ChannelGetPosition(DWORD handle);
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
// Stops the output and frees every stream.
BOOL BASS_Free(void);
int BASS_ErrorGetCode(void);

#endif  // ZELVARO_PLATFORM_BASS_H
