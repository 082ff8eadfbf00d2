#pragma once
// The cryptography of the user-based security model: keys from passphrases, localised to an
// agent's engine, message authentication codes and the privacy ciphers. The primitives are
// nettle's.

#include "snmp/clientconfig.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vantrel::snmp::usm {

// Bytes of the protocol's hash, which is also the length of its keys.
std::size_t KeyLength(AuthProtocol protocol);
// Bytes of the code a message carries: 12 for MD5 and SHA-1, 16 to 48 for the SHA-2 family.
std::size_t MacLength(AuthProtocol protocol);

// The user's key: the hash of a megabyte of the passphrase repeated.
std::string PasswordToKey(AuthProtocol protocol, const std::string &passphrase);
// The key localised to one engine: the hash of key, engineId and key again.
std::string LocalizeKey(AuthProtocol protocol, const std::string &key, const std::string &engineId);

// An HMAC keyed once: each message then costs the hashing of the message alone.
class Authenticator {
public:
    Authenticator(AuthProtocol protocol, const std::string &localizedKey);
    ~Authenticator();
    Authenticator(const Authenticator &) = delete;
    Authenticator &operator=(const Authenticator &) = delete;

    std::size_t Length() const;
    // The code of a whole message, cut to Length() bytes.
    std::string Mac(const std::string &message) const;
    // True when the Length() bytes at macAt in message are the code of message with those
    // bytes zeroed. Compares in constant time.
    bool Verify(const std::string &message, std::size_t macAt) const;

private:
    struct Contexts;
    AuthProtocol protocol_;
    std::unique_ptr<Contexts> contexts_;
};

// A privacy key made ready once for the cipher.
class Cipher {
public:
    Cipher(PrivProtocol protocol, const std::string &localizedKey);
    ~Cipher();
    Cipher(const Cipher &) = delete;
    Cipher &operator=(const Cipher &) = delete;

    // False when the key is unusable (too short, or one of DES's weak keys).
    bool Usable() const { return usable_; }
    // Encrypts a scoped PDU: salt is a number never used before with this key; boots and time
    // are those the message carries. privParams receives what the message must carry for the
    // receiver to decrypt it.
    std::string Encrypt(const std::string &plain, std::int32_t boots, std::int32_t time,
                        std::uint64_t salt, std::string &privParams) const;
    // False when the ciphertext or privParams cannot be of this cipher.
    bool Decrypt(const std::string &cipher, std::int32_t boots, std::int32_t time,
                 const std::string &privParams, std::string &plain) const;

private:
    struct Keys;
    PrivProtocol protocol_;
    std::unique_ptr<Keys> keys_;
    bool usable_ = false;
};

} // namespace vantrel::snmp::usm
