# scripts/package.sh with a certificate: every binary the release ships is signed, the
# installer packs the signed DLLs, and a signature no longer holds once the code changes.
#   -DCOPY=<a copy of the sources, packaged once unsigned> -DWORK=<scratch>
#   -DOBJDUMP=<objdump for the 64-bit DLL>
# The certificate comes from a throwaway CA made here with openssl.
cmake_minimum_required(VERSION 3.25)

function(check what)
  execute_process(${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# verify(<file> <result var> <output var>): osslsigncode's verdict against the throwaway CA.
function(verify file result_var output_var)
  execute_process(COMMAND osslsigncode verify -CAfile ${pki}/ca.pem -in ${file}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${result_var} ${status} PARENT_SCOPE)
  set(${output_var} "${out}" PARENT_SCOPE)
endfunction()

set(shipped x86/Orvane.dll x64/Orvane.dll arm64/Orvane.dll Orvane.msi x86/RegFreeClient.exe
            x64/RegFreeClient.exe)
# Where the build folders keep each one unsigned.
set(built_x86/Orvane.dll x86-llvm/bin/Orvane.dll)
set(built_x64/Orvane.dll x64-llvm/bin/Orvane.dll)
set(built_arm64/Orvane.dll arm64/bin/Orvane.dll)
set(built_Orvane.msi x64/bin/Orvane.msi)
set(built_x86/RegFreeClient.exe x86/bin/RegFreeClient.exe)
set(built_x64/RegFreeClient.exe x64/bin/RegFreeClient.exe)

# A CA, and a code-signing certificate it issued, in a PKCS#12 file.
set(pki ${WORK}/pki)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${pki})
string(RANDOM LENGTH 24 password)
file(WRITE ${pki}/password "${password}")
file(WRITE ${pki}/signer.ext "basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
")
set(in WORKING_DIRECTORY ${pki})
check("the CA" COMMAND openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout ca.key
      -out ca.pem -subj "/CN=Orvane Test CA" -addext "basicConstraints=critical,CA:TRUE"
      -addext "keyUsage=critical,keyCertSign,cRLSign" ${in})
check("the request" COMMAND openssl req -newkey rsa:2048 -nodes -keyout signer.key
      -out signer.csr -subj "/CN=Orvane Test Signer" ${in})
check("the certificate" COMMAND openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key
      -CAcreateserial -days 2 -extfile signer.ext -out signer.pem ${in})
check("the PKCS#12 file" COMMAND openssl pkcs12 -export -inkey signer.key -in signer.pem
      -certfile ca.pem -passout file:password -out signer.pfx ${in})

unset(ENV{ORVANE_TIMESTAMP_URL}) # no network here
unset(ENV{ORVANE_PACKAGE_VERSION})

# One variable without the other stops the script before it builds anything.
foreach(given ORVANE_SIGN_PFX ORVANE_SIGN_PASSWORD)
  unset(ENV{ORVANE_SIGN_PFX})
  unset(ENV{ORVANE_SIGN_PASSWORD})
  set(ENV{${given}} ${pki}/signer.pfx)
  execute_process(COMMAND bash scripts/package.sh WORKING_DIRECTORY ${COPY}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status EQUAL 0 OR NOT out MATCHES "^Set both ORVANE_SIGN_PFX and ORVANE_SIGN_PASSWORD")
    message(FATAL_ERROR "scripts/package.sh with only ${given} (exit ${status}):\n${out}")
  endif()
endforeach()

# The same sources packaged again, signed; the password only in the environment.
set(ENV{ORVANE_SIGN_PFX} ${pki}/signer.pfx)
set(ENV{ORVANE_SIGN_PASSWORD} "${password}")
check("scripts/package.sh, signing" COMMAND bash scripts/package.sh WORKING_DIRECTORY ${COPY})
if(out MATCHES "${password}")
  message(FATAL_ERROR "scripts/package.sh printed the password:\n${out}")
endif()

file(STRINGS ${COPY}/build/x64/CMakeCache.txt version REGEX "^ORVANE_PACKAGE_VERSION:")
string(REGEX REPLACE "^[^=]*=" "" version "${version}")
set(tree ${COPY}/build/package/Orvane-${version})

set(faults)
foreach(file IN LISTS shipped)
  verify(${tree}/${file} status out)
  message(STATUS "osslsigncode verify ${file}: exit ${status}\n${out}")
  if(NOT status EQUAL 0 OR NOT out MATCHES "Signature verification: ok")
    list(APPEND faults "${file} does not verify")
  endif()
  file(SHA256 ${tree}/${file} hash)
  file(SHA256 ${COPY}/build/${built_${file}} unsigned)
  if(hash STREQUAL unsigned)
    list(APPEND faults "${file} is the unsigned file")
  endif()
endforeach()

# The installer holds the signed DLLs, and SHA256SUMS the signed files.
set(extracted ${WORK}/extracted)
file(MAKE_DIRECTORY ${extracted})
check("msiextract" COMMAND msiextract -C ${extracted} ${tree}/Orvane.msi)
file(GLOB_RECURSE packed ${extracted}/*.dll)
set(packed_hashes)
foreach(dll IN LISTS packed)
  file(SHA256 ${dll} hash)
  list(APPEND packed_hashes ${hash})
endforeach()
file(READ ${tree}/SHA256SUMS sums)
foreach(file IN LISTS shipped)
  file(SHA256 ${tree}/${file} hash)
  # The installer holds the x86 and x64 DLLs (wixl writes no arm64 package).
  if(file MATCHES "^x(86|64)/Orvane\\.dll$" AND NOT hash IN_LIST packed_hashes)
    list(APPEND faults "Orvane.msi does not hold the signed ${file}")
  endif()
  if(NOT sums MATCHES "${hash}  ${file}\n")
    list(APPEND faults "SHA256SUMS does not list the signed ${file}")
  endif()
endforeach()

# One byte changed in the code of a signed DLL: the signature no longer holds.
set(tampered ${WORK}/tampered.dll)
file(COPY_FILE ${tree}/x64/Orvane.dll ${tampered})
check("objdump" COMMAND ${OBJDUMP} -h ${tampered})
if(NOT out MATCHES "\\.text +([0-9a-f]+) +[0-9a-f]+ +[0-9a-f]+ +([0-9a-f]+)")
  message(FATAL_ERROR "No .text in the section table:\n${out}")
endif()
math(EXPR offset "0x${CMAKE_MATCH_2} + 0x${CMAKE_MATCH_1} / 2")
file(READ ${tampered} byte OFFSET ${offset} LIMIT 1 HEX)
math(EXPR flipped "(0x${byte} + 1) % 256" OUTPUT_FORMAT HEXADECIMAL)
string(REGEX REPLACE "^0x" "" flipped "${flipped}")
string(LENGTH "${flipped}" digits)
if(digits EQUAL 1)
  set(flipped "0${flipped}")
endif()
check("the change" COMMAND bash -c "printf '\\x${flipped}' | dd of='${tampered}' bs=1 seek=${offset} conv=notrunc")
file(READ ${tampered} now OFFSET ${offset} LIMIT 1 HEX)
if(now STREQUAL byte)
  message(FATAL_ERROR "The byte at ${offset} did not change")
endif()
verify(${tampered} status out)
message(STATUS "osslsigncode verify, one byte of .text changed at ${offset} (${byte} to ${now}): exit ${status}\n${out}")
if(status EQUAL 0)
  list(APPEND faults "The changed DLL still verifies")
endif()

if(faults)
  list(JOIN faults "\n  " faults)
  message(FATAL_ERROR "Signed package:\n  ${faults}")
endif()
file(REMOVE_RECURSE ${WORK})
