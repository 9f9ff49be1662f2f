#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include "helpers/LoopbackServer.hpp"
#include "helpers/TempFolder.hpp"

namespace kestle::test {

// A certificate authority made up for one test, and a server certificate it signed for
// the given loopback addresses, as PEM files in a folder that goes with the object.
// Made in process so that no test needs an openssl program; P-256 keys, because they
// take a millisecond to make and handshakes with them are cheap.
class TestCertificates {
public:
    explicit TestCertificates(const std::vector<std::string>& addresses = {"127.0.0.1"}) {
        Key caKey = newKey();
        Certificate ca = newCertificate(caKey.get(), "VelmarKestle Test CA");
        X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
        extend(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE");
        extend(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
        extend(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
        sign(ca.get(), caKey.get());

        Key serverKey = newKey();
        Certificate server =
            newCertificate(serverKey.get(), addresses.empty() ? "127.0.0.1" : addresses.front());
        X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get()));
        std::string names;
        for (const auto& address : addresses) {
            names += (names.empty() ? "IP:" : ",IP:") + address;
        }
        extend(ca.get(), server.get(), NID_basic_constraints, "critical,CA:FALSE");
        extend(ca.get(), server.get(), NID_key_usage, "critical,digitalSignature");
        extend(ca.get(), server.get(), NID_ext_key_usage, "serverAuth");
        if (!names.empty()) {
            extend(ca.get(), server.get(), NID_subject_alt_name, names);
        }
        extend(ca.get(), server.get(), NID_authority_key_identifier, "keyid:always");
        sign(server.get(), caKey.get());

        write(caFile(), [&](BIO* out) { return PEM_write_bio_X509(out, ca.get()); });
        write(server_.certificate, [&](BIO* out) { return PEM_write_bio_X509(out, server.get()); });
        write(server_.key, [&](BIO* out) {
            return PEM_write_bio_PrivateKey(out, serverKey.get(), nullptr, nullptr, 0, nullptr,
                                            nullptr);
        });
    }

    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    // The authority alone: what a client is told to trust.
    std::filesystem::path caFile() const { return folder_ / "ca.pem"; }
    // What the server presents.
    const TlsFiles& server() const { return server_; }

private:
    struct KeyDeleter {
        void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    };
    struct CertificateDeleter {
        void operator()(X509* certificate) const { X509_free(certificate); }
    };
    using Key = std::unique_ptr<EVP_PKEY, KeyDeleter>;
    using Certificate = std::unique_ptr<X509, CertificateDeleter>;

    [[noreturn]] static void fail(const std::string& what) {
        throw std::runtime_error("TestCertificates: " + what);
    }

    static Key newKey() {
        Key key(EVP_EC_gen("P-256"));
        if (!key) {
            fail("cannot make a key");
        }
        return key;
    }

    // Valid from an hour ago, so that a clock a little behind still accepts it.
    static Certificate newCertificate(EVP_PKEY* key, const std::string& commonName) {
        Certificate certificate(X509_new());
        uint64_t serial = 0;
        if (!certificate ||
            RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial) != 1 ||
            !X509_set_version(certificate.get(), X509_VERSION_3) ||
            !ASN1_INTEGER_set_uint64(X509_get_serialNumber(certificate.get()), serial >> 1) ||
            !X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600) ||
            !X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 7L * 24 * 3600) ||
            !X509_set_pubkey(certificate.get(), key) ||
            !X509_NAME_add_entry_by_txt(
                X509_get_subject_name(certificate.get()), "CN", MBSTRING_ASC,
                reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0)) {
            fail("cannot make a certificate");
        }
        return certificate;
    }

    static void extend(X509* issuer, X509* subject, int nid, const std::string& value) {
        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, issuer, subject, nullptr, nullptr, 0);
        X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
        const bool added = extension && X509_add_ext(subject, extension, -1);
        X509_EXTENSION_free(extension);
        if (!added) {
            fail("cannot add " + value);
        }
    }

    static void sign(X509* certificate, EVP_PKEY* key) {
        if (X509_sign(certificate, key, EVP_sha256()) <= 0) {
            fail("cannot sign");
        }
    }

    template <class Writer> static void write(const std::filesystem::path& path, Writer writer) {
        BIO* out = BIO_new_file(path.c_str(), "w");
        const bool written = out && writer(out) == 1;
        BIO_free(out);
        if (!written) {
            fail("cannot write " + path.string());
        }
    }

    TempFolder folder_;
    TlsFiles server_{folder_ / "server.pem", folder_ / "server-key.pem"};
};

} // namespace kestle::test
