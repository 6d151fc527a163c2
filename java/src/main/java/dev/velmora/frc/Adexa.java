package dev.velmora.frc;

/**
 * The analog inputs of the I2C analog-input board. The driver keeps one board for the whole
 * program: opening, reading and closing all go to it.
 *
 * <p><b>Lifetime.</b> Constructing opens the board with its reference voltage; {@link #close()}
 * closes it, and every later read throws {@link IllegalStateException}.
 *
 * <p><b>Threads.</b> No locks: read the board from one thread at a time.
 */
public final class Adexa implements AutoCloseable {
  /** The reference voltage the no-argument constructor opens the board with, in volts. */
  public static final float kDefaultVref = 5.0f;

  private final float m_vref;
  private boolean m_closed;

  /** Opens the board with the reference {@link #kDefaultVref}. */
  public Adexa() {
    this(kDefaultVref);
  }

  /**
   * Opens the board with the reference voltage {@code vref}. The board takes it in whole volts,
   * truncated toward zero (3.3 gives 3); a value beyond the integer range is brought to the
   * nearest one and NaN to 0.
   *
   * @param vref volts, kept as a single-precision float
   */
  public Adexa(double vref) {
    VelmoraJNI.load();
    m_vref = (float) vref;
    // Java's float-to-int conversion truncates toward zero, saturates and maps NaN to 0.
    VelmoraJNI.initializeI2C((int) m_vref);
  }

  /**
   * The reference voltage the board was opened with.
   *
   * @return volts
   */
  public float getVref() {
    return m_vref;
  }

  /** Closes the board. A second call does nothing. */
  @Override
  public void close() {
    if (m_closed) {
      return;
    }
    m_closed = true;
    VelmoraJNI.closeI2C();
  }

  private void checkOpen() {
    if (m_closed) {
      throw new IllegalStateException("Adexa is closed");
    }
  }

  /**
   * The raw converter reading of one input; the input number goes to the board as its low
   * byte ({@code channel & 0xFF}).
   *
   * @param channel the input, 0 to 7 on the board
   * @return the reading (12 bits, 0 to 4095, on the simulated board)
   */
  public int getRawValue(int channel) {
    checkOpen();
    return VelmoraJNI.getRawValue(channel & 0xFF);
  }

  /**
   * The voltage on one input; the input number goes to the board as its low byte.
   *
   * @param channel the input, 0 to 7 on the board
   * @return volts, 0 to the reference
   */
  public float getVoltage(int channel) {
    checkOpen();
    return VelmoraJNI.getVoltage(channel & 0xFF);
  }
}
