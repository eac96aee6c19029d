/* Another program writing velmora.ini: one key of its own, through the Windows profile
   writer, over and over, as a script or a sync tool might.

     other_writer <file> <key> <period ms> <event name prefix> <last value file>

   The prefix names three events the test made: "-pause" (the writer stops and puts the
   last value the profile writer took into <last value file>, then sets "-paused"),
   "-resume" and "-quit". */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HANDLE Event(const char* prefix, const char* name)
{
    char full[MAX_PATH];
    snprintf(full, sizeof full, "%s%s", prefix, name);
    return OpenEventA(EVENT_ALL_ACCESS, FALSE, full);
}

/* Whether the file, read as it is on the disk, holds key=text. */
static int Holds(const char* file, const char* key, const char* text)
{
    static char bytes[1 << 16];
    char line[128];
    DWORD read = 0;
    HANDLE in = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (in == INVALID_HANDLE_VALUE)
        return 0;
    ReadFile(in, bytes, sizeof bytes - 1, &read, NULL);
    CloseHandle(in);
    bytes[read] = 0;
    snprintf(line, sizeof line, "\n%s=%s\r\n", key, text);
    return strstr(bytes, line) != NULL;
}

int main(int argc, char** argv)
{
    if (argc != 6)
        return 2;
    const char* file = argv[1];
    const char* key = argv[2];
    const DWORD period = (DWORD)atoi(argv[3]);
    HANDLE pause = Event(argv[4], "-pause");
    HANDLE paused = Event(argv[4], "-paused");
    HANDLE resumeOrQuit[2] = {Event(argv[4], "-resume"), Event(argv[4], "-quit")};
    if (!pause || !paused || !resumeOrQuit[0] || !resumeOrQuit[1])
        return 3;
    unsigned long value = 0, last = 0;
    for (;;) {
        if (WaitForSingleObject(pause, 0) == WAIT_OBJECT_0) {
            char text[32];
            DWORD written = 0;
            HANDLE out = CreateFileA(argv[5], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            snprintf(text, sizeof text, "%lu", last);
            WriteFile(out, text, (DWORD)strlen(text), &written, NULL);
            CloseHandle(out);
            SetEvent(paused);
            if (WaitForMultipleObjects(2, resumeOrQuit, FALSE, INFINITE) != WAIT_OBJECT_0)
                return 0;
            continue;
        }
        char text[32];
        snprintf(text, sizeof text, "%lu", ++value);
        /* Wine's profile writer reports success when the file refused the write: a value
           counts as written once the file is seen to hold it. */
        if (WritePrivateProfileStringA("Settings", key, text, file) && Holds(file, key, text))
            last = value;
        if (period > 0)
            Sleep(period);
    }
}
