#pragma once

#include <memory>
#include <vector>

// One term coefficient * x^exponent of a polynomial.
struct PolynomialTerm
{
    float coefficient;
    float exponent;
};

// A sum of terms, evaluated in single precision in term order.
class Polynomial
{
public:
    explicit Polynomial(std::vector<PolynomialTerm> terms);

    // 0 plus pow(x, exponent) * coefficient for each term in order; an
    // exponent of 0 contributes the coefficient itself, also at x = 0.
    float evaluate(float x) const;

private:
    std::vector<PolynomialTerm> terms_;
};

// Assembles a polynomial term by term.
class PolynomialBuilder
{
public:
    PolynomialBuilder& addTerm(float coefficient, float exponent);
    // A new polynomial with the terms added so far, in order.
    std::unique_ptr<Polynomial> build() const;

private:
    std::vector<PolynomialTerm> terms_;
};
