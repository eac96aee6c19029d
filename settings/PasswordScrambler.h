// The stored form of the password: the text reversed, every byte XORed with a byte
// derived from the key. Scrambling twice with the same key gives the text back.
#pragma once
#include <string>

extern const char* const ScramblerKey; // "tavok"

// The key byte: the key's length plus the codes of its characters, modulo 256.
unsigned char ScramblerKeyByte(const std::string& key) noexcept;

std::string Scramble(std::string text, std::string key);
