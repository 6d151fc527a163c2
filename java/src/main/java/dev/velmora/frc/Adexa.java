package dev.velmora.frc;

/**
 * The analog inputs of the I2C analog-input board. The driver keeps one board for the whole
 * program: opening, reading and closing all go to it.
 *
 * <p><b>Lifetime.</b> Constructing opens the board with its reference voltage; {@link #close()}
 * closes it, and every later call throws {@link IllegalStateException}. Since the board is one
 * for the whole program, closing any object closes it for all, and an object the program drops
 * is not closed for it: the garbage collector would close the board at a moment nobody chose,
 * under the feet of another object still reading it.
 *
 * <p><b>Threads.</b> The library takes no locks: read the board from one thread at a time.
 * {@code close()} alone may come from any thread at any time: the board is closed exactly once,
 * and a read racing the close either finishes before it or throws
 * {@link IllegalStateException}.
 */
public final class Adexa implements AutoCloseable {
  /** The reference voltage the no-argument constructor opens the board with, in volts. */
  public static final float kDefaultVref = 5.0f;

  private final float m_vref;
  private final Lifetime m_life = Lifetime.untracked("Adexa", VelmoraJNI::closeI2C);

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
   * @throws IllegalStateException if the board is closed
   */
  public float getVref() {
    m_life.check();
    return m_vref;
  }

  /**
   * Closes the board. Once it is closed (a read of another thread in progress finishes first),
   * this returns; a second call does nothing.
   */
  @Override
  public void close() {
    m_life.close();
  }

  /**
   * The raw converter reading of one input. The board takes the input number as one byte, which
   * the number must fit: 256 is refused rather than read as input 0.
   *
   * @param channel the input, 0 to 7 on the board (0 to 255 reach it unchanged)
   * @return the reading (12 bits, 0 to 4095, on the simulated board)
   * @throws IllegalArgumentException for a channel outside 0 to 255
   * @throws IllegalStateException if the board is closed
   */
  public int getRawValue(int channel) {
    m_life.enter();
    try {
      return VelmoraJNI.getRawValue(Checks.unsignedByte("Channel", channel));
    } finally {
      m_life.exit();
    }
  }

  /**
   * The voltage on one input; the input number must fit a byte, as for
   * {@link #getRawValue(int)}.
   *
   * @param channel the input, 0 to 7 on the board (0 to 255 reach it unchanged)
   * @return volts, 0 to the reference
   * @throws IllegalArgumentException for a channel outside 0 to 255
   * @throws IllegalStateException if the board is closed
   */
  public float getVoltage(int channel) {
    m_life.enter();
    try {
      return VelmoraJNI.getVoltage(Checks.unsignedByte("Channel", channel));
    } finally {
      m_life.exit();
    }
  }
}
