// The simulated world for Java programs: binds dev.velmora.frc.sim.SimWorld to the simulation
// driver's public world functions (velmora_sim/SimDriver.h), one call each. Shipped beside the
// simulation driver in the simulation's JNI archive; it finds the driver in its own folder.
// Registered with RegisterNatives, so no symbol but JNI_OnLoad is exported.
#include <jni.h>

#include <cstddef>

#include "velmora_sim/SimDriver.h"

namespace {

jboolean Bool(bool value) { return value ? JNI_TRUE : JNI_FALSE; }

// A double[] of `count` numbers; null (with OutOfMemoryError pending) if the JVM has no room.
jdoubleArray Numbers(JNIEnv* env, const jdouble* values, jsize count) {
  jdoubleArray array = env->NewDoubleArray(count);
  if (array != nullptr) env->SetDoubleArrayRegion(array, 0, count, values);
  return array;
}

void Reset(JNIEnv*, jclass) { velmora_sim::Reset(); }

jboolean SimStep(JNIEnv*, jclass, jdouble seconds) { return Bool(velmora_sim::SimStep(seconds)); }

jdouble SimTime(JNIEnv*, jclass) { return velmora_sim::SimTime(); }

jlong SimClockMicros(JNIEnv*, jclass) { return velmora_sim::SimClockMicros(); }

jboolean FlushSimValues(JNIEnv*, jclass) { return Bool(velmora_sim::FlushSimValues()); }

jboolean PlaceRobot(JNIEnv*, jclass, jdouble x, jdouble y, jdouble heading) {
  velmora_sim::RobotPose pose;
  pose.x = x;
  pose.y = y;
  pose.heading = heading;
  return Bool(velmora_sim::PlaceRobot(pose));
}

jdoubleArray RobotPose(JNIEnv* env, jclass) {
  const velmora_sim::RobotPose pose = velmora_sim::Robot();
  const jdouble values[] = {pose.x, pose.y, pose.heading};
  return Numbers(env, values, 3);
}

jdouble RobotDistanceTravelled(JNIEnv*, jclass) { return velmora_sim::RobotDistanceTravelled(); }

jboolean AttachDrive(JNIEnv*, jclass, jint canId, jint left, jint right, jdouble metres) {
  return Bool(velmora_sim::AttachDrive(canId, left, right, metres));
}

jdouble RayDistance(JNIEnv*, jclass, jdouble x, jdouble y, jdouble angle) {
  return velmora_sim::RayDistance(x, y, angle);
}

constexpr jsize kFieldNumbers = 14;

jdoubleArray Field(JNIEnv* env, jclass) {
  const velmora_sim::FieldLayout f = velmora_sim::Field();
  const jdouble values[kFieldNumbers] = {
      f.width,          f.height,  f.obstacleX, f.obstacleY, f.obstacleWidth,
      f.obstacleHeight, f.lineX,   f.lineWidth, f.carpet[0], f.carpet[1],
      f.carpet[2],      f.line[0], f.line[1],   f.line[2]};
  return Numbers(env, values, kFieldNumbers);
}

jboolean SetField(JNIEnv* env, jclass, jdoubleArray numbers) {
  // The Java side hands over exactly kFieldNumbers numbers; anything else changes nothing.
  if (numbers == nullptr || env->GetArrayLength(numbers) != kFieldNumbers) return JNI_FALSE;
  jdouble v[kFieldNumbers] = {};
  env->GetDoubleArrayRegion(numbers, 0, kFieldNumbers, v);
  if (env->ExceptionCheck()) return JNI_FALSE;
  velmora_sim::FieldLayout f;
  f.width = v[0];
  f.height = v[1];
  f.obstacleX = v[2];
  f.obstacleY = v[3];
  f.obstacleWidth = v[4];
  f.obstacleHeight = v[5];
  f.lineX = v[6];
  f.lineWidth = v[7];
  for (int i = 0; i < 3; ++i) {
    f.carpet[i] = static_cast<float>(v[8 + i]);
    f.line[i] = static_cast<float>(v[11 + i]);
  }
  return Bool(velmora_sim::SetField(f));
}

jdoubleArray OrvexChannel(JNIEnv* env, jclass, jint canId, jint index) {
  const velmora_sim::OrvexChannelState s = velmora_sim::OrvexChannel(canId, index);
  const jdouble values[] = {s.exists ? 1.0 : 0.0,
                            s.commanded,
                            s.enabled ? 1.0 : 0.0,
                            s.targetRpm,
                            s.rpm,
                            s.revolutions,
                            s.encoderSetup,
                            static_cast<jdouble>(s.encoderCount),
                            s.temperature,
                            s.locked ? 1.0 : 0.0,
                            s.inertia,
                            s.duty,
                            s.current};
  return Numbers(env, values, static_cast<jsize>(sizeof values / sizeof values[0]));
}

void SetOrvexMotorLocked(JNIEnv*, jclass, jint canId, jint index, jboolean locked) {
  velmora_sim::SetOrvexMotorLocked(canId, index, locked == JNI_TRUE);
}

jboolean SetOrvexLoadInertia(JNIEnv*, jclass, jint canId, jint index, jdouble inertia) {
  return Bool(velmora_sim::SetOrvexLoadInertia(canId, index, inertia));
}

jboolean SetOrvexLimitSwitch(JNIEnv*, jclass, jint canId, jint index, jboolean which, jint state) {
  return Bool(velmora_sim::SetOrvexLimitSwitch(canId, index, which == JNI_TRUE, state));
}

jboolean SetOrvexZynderPosition(JNIEnv*, jclass, jint canId, jint index, jdouble position) {
  return Bool(velmora_sim::SetOrvexZynderPosition(canId, index, position));
}

jdoubleArray Battery(JNIEnv* env, jclass) {
  const velmora_sim::BatteryState b = velmora_sim::Battery();
  const jdouble values[] = {b.emf, b.resistance, b.volts, b.current};
  return Numbers(env, values, 4);
}

jboolean SetBatteryEmf(JNIEnv*, jclass, jdouble volts) {
  return Bool(velmora_sim::SetBatteryEmf(volts));
}

jboolean SetLumiraColor(JNIEnv*, jclass, jfloat red, jfloat green, jfloat blue) {
  return Bool(velmora_sim::SetLumiraColor(red, green, blue));
}

jboolean SetAdexaVoltage(JNIEnv*, jclass, jint channel, jfloat volts) {
  return Bool(velmora_sim::SetAdexaVoltage(channel, volts));
}

jboolean MockDSEnabled(JNIEnv*, jclass) { return Bool(velmora_sim::MockDSEnabled()); }

template <typename F>
JNINativeMethod Method(const char* name, const char* signature, F* function) {
  return {const_cast<char*>(name), const_cast<char*>(signature), reinterpret_cast<void*>(function)};
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM* vm, void*) {
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_8) != JNI_OK) return JNI_ERR;
  const JNINativeMethod methods[] = {
      Method("nativeReset", "()V", &Reset),
      Method("nativeSimStep", "(D)Z", &SimStep),
      Method("nativeSimTime", "()D", &SimTime),
      Method("nativeSimClockMicros", "()J", &SimClockMicros),
      Method("nativeFlushSimValues", "()Z", &FlushSimValues),
      Method("nativePlaceRobot", "(DDD)Z", &PlaceRobot),
      Method("nativeRobotPose", "()[D", &RobotPose),
      Method("nativeRobotDistanceTravelled", "()D", &RobotDistanceTravelled),
      Method("nativeAttachDrive", "(IIID)Z", &AttachDrive),
      Method("nativeRayDistance", "(DDD)D", &RayDistance),
      Method("nativeField", "()[D", &Field),
      Method("nativeSetField", "([D)Z", &SetField),
      Method("nativeOrvexChannel", "(II)[D", &OrvexChannel),
      Method("nativeSetOrvexMotorLocked", "(IIZ)V", &SetOrvexMotorLocked),
      Method("nativeSetOrvexLoadInertia", "(IID)Z", &SetOrvexLoadInertia),
      Method("nativeSetOrvexLimitSwitch", "(IIZI)Z", &SetOrvexLimitSwitch),
      Method("nativeSetOrvexZynderPosition", "(IID)Z", &SetOrvexZynderPosition),
      Method("nativeBattery", "()[D", &Battery),
      Method("nativeSetBatteryEmf", "(D)Z", &SetBatteryEmf),
      Method("nativeSetLumiraColor", "(FFF)Z", &SetLumiraColor),
      Method("nativeSetAdexaVoltage", "(IF)Z", &SetAdexaVoltage),
      Method("nativeMockDSEnabled", "()Z", &MockDSEnabled),
  };
  jclass world = env->FindClass("dev/velmora/frc/sim/SimWorld");
  if (world == nullptr) return JNI_ERR;
  const jint registered =
      env->RegisterNatives(world, methods, static_cast<jint>(sizeof methods / sizeof methods[0]));
  env->DeleteLocalRef(world);
  return registered == JNI_OK ? JNI_VERSION_1_8 : JNI_ERR;
}
