/* The machine-dependent part of jni.h for 64-bit Windows, for cross builds of the JNI library on
 * a host whose JDK carries only its own platform's. These are the Windows JNI ABI's definitions:
 * exported entry points, the (on x64 single) calling convention, and the widths of jint (32 bits,
 * a long on Windows), jlong (64 bits) and jbyte (8 bits, signed). */
#ifndef VELMORA_JNI_MD_WIN32_H
#define VELMORA_JNI_MD_WIN32_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
