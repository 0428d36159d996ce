# The release certificate and timestamp server, for the package and the release's programs.
# None of them ever comes from the repository. Each empty value falls back, at build time,
# to the environment variable of the same name (VMX_SIGN_PASSWORD for the password itself);
# without a certificate only the package is signed, by a certificate made for the build.
set(VMX_SIGN_PFX "" CACHE FILEPATH
    "Release certificate with its private key (PFX); empty: the environment's VMX_SIGN_PFX")
set(VMX_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "File holding the release certificate's password; empty: the environment's VMX_SIGN_PASSWORD")
set(VMX_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 timestamp server for release signatures ('none': no timestamp); empty: the environment's VMX_TIMESTAMP_URL or the default")
# One argument each, so that an empty value stays one.
set(VMX_SIGN_OPTIONS "--pfx=${VMX_SIGN_PFX}" "--password-file=${VMX_SIGN_PASSWORD_FILE}"
    "--timestamp-url=${VMX_TIMESTAMP_URL}")
find_program(VMX_PYTHON3 python3 REQUIRED)
