/* A plug-in of the older API version 2, as mail clients still ship them beside newer
   ones: eight-argument initialisation, no special menu items. It keeps what the host
   handed it so a test can look. */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

static char g_configDirectory[MAX_PATH];

static char* HeapCopy(const char* text)
{
    char* copy = (char*)malloc(strlen(text) + 1);
    if (copy != NULL)
        strcpy(copy, text);
    return copy;
}

static void Keep(char* target, size_t size, const char* text)
{
    target[0] = '\0';
    if (text != NULL)
        strncat(target, text, size - 1);
}

int WINAPI ems_plugin_version(short* version)
{
    *version = 2;
    return 0;
}

int WINAPI ems_plugin_init(void** globals, char* configDir, char* userName, char* userAddr,
                           short* numTrans, char** desc, short* id, HICON** icon)
{
    (void)userName;
    (void)userAddr;
    *globals = NULL;
    Keep(g_configDirectory, sizeof g_configDirectory, configDir);
    *numTrans = 1;
    *desc = HeapCopy("Older translator (test)");
    *id = 2002;
    *icon = (HICON*)malloc(sizeof(HICON));
    if (*icon != NULL)
        **icon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    return 0;
}

int WINAPI ems_plugin_finish(void* globals)
{
    (void)globals;
    return 0;
}

int WINAPI ems_free(void* block)
{
    free(block);
    return 0;
}

/* For the tests: the config directory initialisation was given. */
const char* api2_config_directory(void) { return g_configDirectory; }
