// The simulation driver's own face for Java tests and the Java demo: reset, scripted results, the
// journal in the scenario table's words, simulated time and the simulated field. Never shipped.
// Bound with RegisterNatives to dev.velmora.frc.sim.SimDriver.
#include <jni.h>

#include <exception>
#include <string>
#include <vector>

#include "../../src/driver_link/VelmoraDriver.h"
#include "ScenarioDriver.h"
#include "velmora_sim/SimDriver.h"

namespace {

void ThrowJava(JNIEnv* env, const char* className, const char* message) {
  if (env->ExceptionCheck()) return;
  jclass type = env->FindClass(className);
  if (type == nullptr) return;
  env->ThrowNew(type, message);
  env->DeleteLocalRef(type);
}

std::string Utf(JNIEnv* env, jstring text) {
  const char* chars = env->GetStringUTFChars(text, nullptr);
  if (chars == nullptr) return {};
  std::string result(chars);
  env->ReleaseStringUTFChars(text, chars);
  return result;
}

jobjectArray Strings(JNIEnv* env, const std::vector<std::string>& lines) {
  jclass stringClass = env->FindClass("java/lang/String");
  if (stringClass == nullptr) return nullptr;
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(lines.size()), stringClass, nullptr);
  env->DeleteLocalRef(stringClass);
  if (array == nullptr) return nullptr;
  for (size_t i = 0; i < lines.size(); ++i) {
    jstring line = env->NewStringUTF(lines[i].c_str());
    if (line == nullptr) return nullptr;
    env->SetObjectArrayElement(array, static_cast<jsize>(i), line);
    env->DeleteLocalRef(line);
  }
  return array;
}

void Reset(JNIEnv*, jclass) { velmora_scenario::ResetDriver(); }

void Script(JNIEnv* env, jclass, jstring line) {
  if (line == nullptr) {
    ThrowJava(env, "java/lang/NullPointerException", "line");
    return;
  }
  try {
    velmora_scenario::Script(Utf(env, line));
  } catch (const std::exception& e) {
    ThrowJava(env, "java/lang/IllegalArgumentException", e.what());
  }
}

jobjectArray TakeJournal(JNIEnv* env, jclass) {
  return Strings(env, velmora_scenario::TakeJournal());
}

void EnableJournal(JNIEnv*, jclass, jboolean on) { velmora_sim::EnableJournal(on == JNI_TRUE); }

void SimStep(JNIEnv*, jclass, jdouble seconds) { velmora_sim::SimStep(seconds); }

jdouble SimTime(JNIEnv*, jclass) { return velmora_sim::SimTime(); }

jdouble OrvexCommanded(JNIEnv*, jclass, jint canId, jint index) {
  return velmora_sim::OrvexChannel(canId, index).commanded;
}

jint OpenLidarMinis(JNIEnv*, jclass) {
  return static_cast<jint>(velmora_sim::OpenLidarMinis().size());
}

jboolean MockDSEnabled(JNIEnv*, jclass) {
  return velmora_sim::MockDSEnabled() ? JNI_TRUE : JNI_FALSE;
}

void AttachDrive(JNIEnv*, jclass, jint canId, jint left, jint right, jdouble metres) {
  velmora_sim::AttachDrive(canId, left, right, metres);
}

jdoubleArray RobotPose(JNIEnv* env, jclass) {
  const velmora_sim::RobotPose pose = velmora_sim::Robot();
  const jdouble values[3] = {pose.x, pose.y, pose.heading};
  jdoubleArray array = env->NewDoubleArray(3);
  if (array != nullptr) env->SetDoubleArrayRegion(array, 0, 3, values);
  return array;
}

jdouble RobotDistanceTravelled(JNIEnv*, jclass) { return velmora_sim::RobotDistanceTravelled(); }

jdouble RayDistance(JNIEnv*, jclass, jdouble x, jdouble y, jdouble angle) {
  return velmora_sim::RayDistance(x, y, angle);
}

// The same driver calls as the library's, bare: the cost harness's baseline.
void BareSetMotorSpeed(JNIEnv*, jclass, jint handle, jint index, jdouble speed) {
  c_Orvex_setMotorSpeed(handle, static_cast<uint8_t>(index), speed);
}

jdouble BareGetRPM(JNIEnv*, jclass, jint handle, jint index) {
  return c_Orvex_getRPM(handle, static_cast<uint8_t>(index));
}

const JNINativeMethod kMethods[] = {
    {const_cast<char*>("reset"), const_cast<char*>("()V"), reinterpret_cast<void*>(&Reset)},
    {const_cast<char*>("script"), const_cast<char*>("(Ljava/lang/String;)V"),
     reinterpret_cast<void*>(&Script)},
    {const_cast<char*>("takeJournal"), const_cast<char*>("()[Ljava/lang/String;"),
     reinterpret_cast<void*>(&TakeJournal)},
    {const_cast<char*>("enableJournal"), const_cast<char*>("(Z)V"),
     reinterpret_cast<void*>(&EnableJournal)},
    {const_cast<char*>("simStep"), const_cast<char*>("(D)V"), reinterpret_cast<void*>(&SimStep)},
    {const_cast<char*>("simTime"), const_cast<char*>("()D"), reinterpret_cast<void*>(&SimTime)},
    {const_cast<char*>("orvexCommanded"), const_cast<char*>("(II)D"),
     reinterpret_cast<void*>(&OrvexCommanded)},
    {const_cast<char*>("openLidarMinis"), const_cast<char*>("()I"),
     reinterpret_cast<void*>(&OpenLidarMinis)},
    {const_cast<char*>("mockDSEnabled"), const_cast<char*>("()Z"),
     reinterpret_cast<void*>(&MockDSEnabled)},
    {const_cast<char*>("attachDrive"), const_cast<char*>("(IIID)V"),
     reinterpret_cast<void*>(&AttachDrive)},
    {const_cast<char*>("robotPose"), const_cast<char*>("()[D"),
     reinterpret_cast<void*>(&RobotPose)},
    {const_cast<char*>("robotDistanceTravelled"), const_cast<char*>("()D"),
     reinterpret_cast<void*>(&RobotDistanceTravelled)},
    {const_cast<char*>("bareSetMotorSpeed"), const_cast<char*>("(IID)V"),
     reinterpret_cast<void*>(&BareSetMotorSpeed)},
    {const_cast<char*>("bareGetRPM"), const_cast<char*>("(II)D"),
     reinterpret_cast<void*>(&BareGetRPM)},
    {const_cast<char*>("rayDistance"), const_cast<char*>("(DDD)D"),
     reinterpret_cast<void*>(&RayDistance)},
};

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void*) {
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_8) != JNI_OK) return JNI_ERR;
  jclass bridge = env->FindClass("dev/velmora/frc/sim/SimDriver");
  if (bridge == nullptr) return JNI_ERR;
  const jint registered = env->RegisterNatives(
      bridge, kMethods, static_cast<jint>(sizeof kMethods / sizeof kMethods[0]));
  env->DeleteLocalRef(bridge);
  return registered == JNI_OK ? JNI_VERSION_1_8 : JNI_ERR;
}
