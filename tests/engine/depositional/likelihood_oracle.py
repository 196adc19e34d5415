#!/usr/bin/python3
"""The minimum age model and the finite mixture of age components written out from their
definitions with numpy and scipy, and maximised by scipy.optimize from many starts: an oracle for
Kestrel's own fits.

FILE is a .csv of lines "age,sigma" (1 sigma, age units). On the log scale z = ln age and
x = sigma / age.

  likelihood_oracle.py mam-loglik FILE P GAMMA MU SIGMA PI [GAMMA MU SIGMA PI ...]
      one line per point: lnL of the minimum age model with P = 3 or 4 parameters (mu ignored
      when P is 3, where it equals gamma)
  likelihood_oracle.py mam-fit FILE P
      "gamma mu sigma pi lnL se_gamma" at the best maximum found, and the weighted mean of z
  likelihood_oracle.py mix-loglik FILE MU1 P1 [MU2 P2 ...]
      lnL of the mixture of normals with those log-scale means and proportions
  likelihood_oracle.py mix-fit FILE K
      "lnL" then one line "mu proportion se_mu" per component, sorted by mu
  likelihood_oracle.py mix-bic FILE
      "k lnL bic" for k = 1 .. min(8, n), one line each
Numbers are printed as repr of floats.
"""
import sys

import numpy as np
from scipy import integrate, optimize, special, stats


def read(path):
    data = np.loadtxt(path, delimiter=",", ndmin=2)
    ages, sigmas = data[:, 0], data[:, 1]
    return np.log(ages), sigmas / ages


# --- The minimum age model ---------------------------------------------------------------------
# A proportion pi of the grains has the true log age gamma; the others a true log age m drawn from
# N(mu, sigma) cut off below gamma. Each grain is measured as z ~ N(true, x).

def mam_log_terms(z, x, gamma, mu, sigma, pi):
    log_minimum = stats.norm.logpdf(z, gamma, x)
    # The older grains' marginal: the product of the two normals integrated over m >= gamma,
    # divided by the truncated normal's mass. The product is N(z; mu, sqrt(sigma^2 + x^2)) times
    # the normal in m of the posterior mean and variance below.
    post_var = 1.0 / (1.0 / sigma**2 + 1.0 / x**2)
    post_mean = post_var * (mu / sigma**2 + z / x**2)
    log_rest = (stats.norm.logpdf(z, mu, np.sqrt(sigma**2 + x**2))
                + special.log_ndtr((post_mean - gamma) / np.sqrt(post_var))
                - special.log_ndtr((mu - gamma) / sigma))
    with np.errstate(divide="ignore"):
        return np.logaddexp(np.log(pi) + log_minimum, np.log1p(-pi) + log_rest)


def check_closed_form(z, x):
    # The older grains' marginal by quadrature, at a few grains, against the closed form above.
    gamma, mu, sigma = np.min(z) + 0.01, np.mean(z), max(np.std(z), 0.05)
    for i in range(min(3, len(z))):
        joint = lambda m: stats.norm.pdf(z[i], m, x[i]) * stats.norm.pdf(m, mu, sigma)
        # Pieces around the grain's own narrow peak, so that quadrature cannot step over it.
        top = max(z[i], mu, gamma) + 40.0 * (x[i] + sigma)  # beyond it nothing is left
        cuts = np.clip([gamma, z[i] - 10 * x[i], z[i] + 10 * x[i], top], gamma, top)
        mass = sum(integrate.quad(joint, lo, hi, epsabs=0, epsrel=1e-12, limit=200)[0]
                   for lo, hi in zip(cuts[:-1], cuts[1:]) if hi > lo)
        mass /= stats.norm.sf(gamma, mu, sigma)
        closed = np.exp(mam_log_terms(z[i:i + 1], x[i:i + 1], gamma, mu, sigma, 0.0))[0]
        assert abs(mass - closed) <= 1e-8 * closed, (mass, closed)


def mam_loglik(z, x, parameters, gamma, mu, sigma, pi):
    if parameters == 3:
        mu = gamma
    return float(np.sum(mam_log_terms(z, x, gamma, mu, sigma, pi)))


def mam_box(z, x, parameters):
    spread = max(z.max() - z.min(), np.median(x))
    youngest = np.argmin(z)
    box = [(z[youngest] - 2.0 * x[youngest], z.max())]
    if parameters == 4:
        box.append((0.0, spread))  # mu - gamma
    box += [(np.log(0.01 * x.min()), np.log(3.0 * spread)), (0.0, 1.0)]
    return box


def mam_point(v, parameters):
    gamma = v[0]
    mu = gamma if parameters == 3 else gamma + v[1]
    return gamma, mu, np.exp(v[-2]), v[-1]


def mam_fit(z, x, parameters):
    box = mam_box(z, x, parameters)
    lnl = lambda v: mam_loglik(z, x, parameters, *mam_point(v, parameters))
    negative = lambda v: -lnl(v)
    best = None
    sd = np.log(max(np.std(z), 1e-3))
    for gamma in np.quantile(z, [0.0, 0.03, 0.1, 0.25, 0.5]):
        for log_sigma in (sd - 1.5, sd):
            for pi in (0.05, 0.3, 0.8):
                start = [gamma] + ([np.mean(z) - gamma] if parameters == 4 else [])
                start = np.clip(start + [log_sigma, pi], [b[0] for b in box], [b[1] for b in box])
                r = optimize.minimize(negative, start, method="L-BFGS-B", bounds=box,
                                      options=dict(ftol=1e-15, gtol=1e-10, maxiter=10000))
                if best is None or r.fun < best.fun:
                    best = r
    # Polished without gradients, the bounds kept.
    r = optimize.minimize(negative, best.x, method="Nelder-Mead", bounds=box,
                          options=dict(xatol=1e-12, fatol=1e-13, maxiter=5000))
    if r.fun < best.fun:
        best = r
    return best.x, -best.fun, lnl


def hessian(f, v, steps):
    # Central differences of f, steps per variable.
    n = len(v)
    h = np.zeros((n, n))
    for i in range(n):
        for j in range(n):
            def at(si, sj):
                w = np.array(v, dtype=float)
                w[i] += si * steps[i]
                w[j] += sj * steps[j]
                return f(w)
            h[i, j] = (at(1, 1) - at(1, -1) - at(-1, 1) + at(-1, -1)) / (4 * steps[i] * steps[j])
    return h


def mam_fit_main(path, parameters):
    z, x = read(path)
    check_closed_form(z, x)
    v, lnl_max, lnl = mam_fit(z, x, parameters)
    steps = [1e-4 * np.median(x)] * (parameters - 2) + [1e-4, 1e-4]
    information = -hessian(lnl, v, steps)
    try:
        with np.errstate(invalid="ignore"):
            se = float(np.sqrt(np.linalg.inv(information)[0, 0]))
    except np.linalg.LinAlgError:  # a degenerate fit
        se = float("nan")
    gamma, mu, sigma, pi = mam_point(v, parameters)
    w = 1.0 / x**2
    print(repr(gamma), repr(mu), repr(sigma), repr(pi), repr(lnl_max), repr(se))
    print(repr(float(np.sum(w * z) / np.sum(w))))


# --- The finite mixture ------------------------------------------------------------------------
# Grain i comes from component j with probability p_j and is then z_i ~ N(mu_j, x_i).

def mix_loglik(z, x, mus, ps):
    with np.errstate(divide="ignore"):
        terms = [np.log(p) + stats.norm.logpdf(z, mu, x) for mu, p in zip(mus, ps)]
    return float(np.sum(special.logsumexp(terms, axis=0)))


def mix_point(v, k):
    # k means, then k - 1 logits against the last component's.
    logits = np.append(v[k:], 0.0)
    return v[:k], special.softmax(logits)


def mix_negative_and_gradient(v, z, x, k):
    mus, ps = mix_point(v, k)
    with np.errstate(divide="ignore"):
        terms = np.array([np.log(p) + stats.norm.logpdf(z, mu, x) for mu, p in zip(mus, ps)])
    log_f = special.logsumexp(terms, axis=0)
    r = np.exp(terms - log_f)  # each grain's posterior share of each component
    d_mu = np.sum(r * (z - mus[:, None]) / x**2, axis=1)
    d_logit = np.sum(r - ps[:, None], axis=1)[:-1]  # softmax, the last logit held at 0
    return -np.sum(log_f), -np.append(d_mu, d_logit)


def mix_fit(z, x, k, starts=40):
    rng = np.random.default_rng(20200101 + k)
    candidates = [np.quantile(z, (np.arange(k) + 0.5) / k)]
    candidates += [np.sort(rng.choice(z, k, replace=False)) for _ in range(starts)]
    best = None
    for mus in candidates:
        r = optimize.minimize(mix_negative_and_gradient, np.append(mus, np.zeros(k - 1)),
                              args=(z, x, k), jac=True, method="BFGS",
                              options=dict(gtol=1e-10, maxiter=20000))
        if best is None or r.fun < best.fun:
            best = r
    negative = lambda v: mix_negative_and_gradient(v, z, x, k)[0]
    return best.x, -best.fun, negative


def mix_fit_main(path, k):
    z, x = read(path)
    v, lnl_max, negative = mix_fit(z, x, k)
    mus, ps = mix_point(v, k)
    # The means' standard errors from the observed information in (means, logits): the means
    # are coordinates of either parametrisation, so their variances do not depend on it.
    information = hessian(negative, v, [1e-4 * np.median(x)] * k + [1e-4] * (k - 1))
    se = np.sqrt(np.diag(np.linalg.inv(information))[:k])
    print(repr(lnl_max))
    for j in np.argsort(mus):
        print(repr(float(mus[j])), repr(float(ps[j])), repr(float(se[j])))


def mix_bic_main(path):
    z, x = read(path)
    n = len(z)
    for k in range(1, min(8, n) + 1):
        lnl = mix_fit(z, x, k, starts=15)[1]
        print(k, repr(lnl), repr(-2 * lnl + (2 * k - 1) * np.log(n)))


def main(argv):
    mode, path = argv[1], argv[2]
    if mode == "mam-loglik":
        z, x = read(path)
        parameters = int(argv[3])
        values = [float(a) for a in argv[4:]]
        for i in range(0, len(values), 4):
            print(repr(mam_loglik(z, x, parameters, *values[i:i + 4])))
    elif mode == "mam-fit":
        mam_fit_main(path, int(argv[3]))
    elif mode == "mix-loglik":
        z, x = read(path)
        values = [float(a) for a in argv[3:]]
        print(repr(mix_loglik(z, x, values[0::2], values[1::2])))
    elif mode == "mix-fit":
        mix_fit_main(path, int(argv[3]))
    elif mode == "mix-bic":
        mix_bic_main(path)
    else:
        sys.exit("unknown mode " + mode)


if __name__ == "__main__":
    main(sys.argv)
